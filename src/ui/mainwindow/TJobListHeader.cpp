#include "ui/mainwindow/TJobListHeader.h"

#include "ui/mainwindow/TJobRowDelegate.h"

#include <QPainter>

TJobListHeader::TJobListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TJobListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->fillRect(rect, kHeaderBackground);
    const QRect span = TJobRowDelegate::CellSpan(this, logicalIndex);
    // The span is in header coordinates without scrolling; the header never scrolls.
    const QRect text(span.left(), rect.top(), qMin(span.width(), rect.right() + 1 - span.left()),
                     rect.height());
    if (text.width() <= 0)
        return;
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->setPen(QColor(0xFF, 0xFF, 0xFF));
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      painter->fontMetrics().elidedText(caption, Qt::ElideRight, text.width()));
}
