#pragma once
// The column header of the job list: white captions on the dark bar, each starting where the rows'
// cells start, so that a caption stands exactly above its column's texts.
#include <QHeaderView>

class TJobListHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TJobListHeader(QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

inline const QColor kHeaderBackground{0x3B, 0x3B, 0x3B};
