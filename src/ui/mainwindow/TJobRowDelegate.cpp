#include "ui/mainwindow/TJobRowDelegate.h"

#include "base/AppState.h"
#include "ui/mainwindow/TJobListModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace {

constexpr int kCellGap = 5;
constexpr int kCellTop = 8;
constexpr int kCellBottomMargin = 3;
constexpr int kDesignRowHeight = 30;
constexpr int kProgressBarHeight = 2;

void drawCell(QPainter& painter, const QRect& cell, const QString& text, const QColor& colour)
{
    if (cell.width() <= 0 || text.isEmpty())
        return;
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, cell.width());
    painter.setPen(colour);
    painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

// A hairline bar at the bottom of the cell: quiet enough to sit under the file name.
void drawProgress(QPainter& painter, const QRect& cell, int percent, bool selected)
{
    const int width = qMin(cell.width(), 160);
    if (width <= 0)
        return;
    const QRect track(cell.left(), cell.bottom() - kProgressBarHeight + 1, width, kProgressBarHeight);
    painter.fillRect(track, selected ? QColor(255, 255, 255, 70) : QColor(255, 255, 255, 40));
    QRect done = track;
    done.setWidth(width * percent / 100);
    painter.fillRect(done, selected ? QColor(0xFF, 0xFF, 0xFF) : QColor(0x5F, 0xB4, 0xF5));
}

} // namespace

TJobRowDelegate::TJobRowDelegate(const QHeaderView* header, QObject* parent)
    : QStyledItemDelegate(parent), header(header)
{
}

QRect TJobRowDelegate::CellSpan(const QHeaderView* header, int column)
{
    QRect span(kCellGap, 0, header->sectionSize(0) - kCellGap, 1);
    for (int i = 1; i <= column; ++i)
        span = QRect(span.right() + 1 + kCellGap, 0, header->sectionSize(i), 1);
    return span;
}

int TJobRowDelegate::RowHeight(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : nullptr;
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return qRound(kDesignRowHeight * dpi / 96.0);
}

QSize TJobRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(index);
    return {option.rect.width(), RowHeight(option.widget)};
}

void TJobRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const auto* model = qobject_cast<const TJobListModel*>(index.model());
    if (AppTerminating.load() || !model || option.rect.isEmpty())
        return;
    const TJobRowCells& cells = model->cells(index.row());
    const bool selected = option.state & QStyle::State_Selected;

    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap row(option.rect.size() * ratio);
    row.setDevicePixelRatio(ratio);
    row.fill(selected ? kSelectedRowBackground : kRowBackground);
    QPainter p(&row);
    QFont font = option.font;
    font.setPointSize(kTextPointSize);
    p.setFont(font);

    const int height = option.rect.height();
    const int cellHeight = height - kCellBottomMargin - kCellTop;
    const auto cell = [this, cellHeight](int column) {
        const QRect span = CellSpan(header, column);
        return QRect(span.left(), kCellTop, span.width(), cellHeight);
    };
    drawCell(p, cell(0), cells.Title, kRowTextColour);
    drawCell(p, cell(1), cells.Operation, cells.OperationIsAlert ? kRowAlertColour : kRowTextColour);
    if (cells.Progress >= 0 && !cells.OperationIsAlert)
        drawProgress(p, cell(1), cells.Progress, selected);
    drawCell(p, cell(2), cells.Status, kRowTextColour);
    drawCell(p, cell(3), cells.LastResult, cells.LastResultColour);
    p.end();

    painter->drawPixmap(option.rect.topLeft(), row);
}
