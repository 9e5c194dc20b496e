#pragma once
// Paints one job row: dark background (blue when selected), the four cells under the header's
// sections, the "Last Result" colour and a thin progress bar under the operation of a running job.
// Each row is drawn into an off-screen pixmap first and copied in one piece, so rows that repaint
// every second do not flicker.
#include <QStyledItemDelegate>

class QHeaderView;

class TJobRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // The cells follow the sections of `header`.
    explicit TJobRowDelegate(const QHeaderView* header, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The horizontal span of a row's cell under `header`: the first from x 5 to the end of its section,
    // each next one 5 pixels right of the previous and as wide as its section.
    static QRect CellSpan(const QHeaderView* header, int column);
    // 30 pixels at 96 dots per inch, scaled with the screen.
    static int RowHeight(const QWidget* widget);
    static constexpr int kTextPointSize = 9;

private:
    const QHeaderView* header;
};

inline const QColor kRowBackground{0x29, 0x29, 0x29};
inline const QColor kSelectedRowBackground{0x30, 0x90, 0xDF};
