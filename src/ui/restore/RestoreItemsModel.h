#pragma once
// A lazy, checkable tree over the contents of a restore point: rows are made only for the folders the
// view opens, and check marks are kept only where the user set them (a folder's mark stands for
// everything below it until a mark further down says otherwise).
#include "engine/PointContents.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QSet>

class TRestoreItemsModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit TRestoreItemsModel(const TPointContents& contents, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

    // Checks or unchecks an entry with everything below it.
    void setChecked(TPointContents::TId id, bool checked);
    Qt::CheckState checkState(TPointContents::TId id) const;
    // The chosen items: the topmost checked entries, as relative paths; empty when nothing is checked,
    // and {""} when everything is.
    QStringList chosenItems() const;
    bool anythingChecked() const;

    const TPointContents& contents() const { return points; }

Q_SIGNALS:
    void checksChanged();

private:
    TPointContents::TId idOf(const QModelIndex& index) const;
    bool inheritedState(TPointContents::TId id) const;
    bool isBelow(TPointContents::TId id, TPointContents::TId folder) const;
    void collect(TPointContents::TId id, bool inherited, const QSet<TPointContents::TId>& marked,
                 QStringList& items) const;

    const TPointContents& points;
    QHash<TPointContents::TId, bool> marks; // only where the user set a mark
};
