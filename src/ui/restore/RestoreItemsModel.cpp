#include "ui/restore/RestoreItemsModel.h"

#include <QApplication>
#include <QStyle>

using TId = TPointContents::TId;

TRestoreItemsModel::TRestoreItemsModel(const TPointContents& contents, QObject* parent)
    : QAbstractItemModel(parent), points(contents)
{
}

TId TRestoreItemsModel::idOf(const QModelIndex& index) const
{
    return index.isValid() ? TId(index.internalId()) : TPointContents::kTop;
}

QModelIndex TRestoreItemsModel::index(int row, int column, const QModelIndex& parent) const
{
    const auto children = points.children(idOf(parent));
    if (row < 0 || size_t(row) >= children.size() || column != 0)
        return {};
    return createIndex(row, column, quintptr(children[size_t(row)]));
}

QModelIndex TRestoreItemsModel::parent(const QModelIndex& child) const
{
    const TId id = idOf(child);
    if (id == TPointContents::kTop)
        return {};
    const TId up = points.parent(id);
    if (up == TPointContents::kTop || up == TPointContents::kNone)
        return {};
    return createIndex(points.row(up), 0, quintptr(up));
}

int TRestoreItemsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TId id = idOf(parent);
    return points.isFolder(id) ? int(points.children(id).size()) : 0;
}

int TRestoreItemsModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TRestoreItemsModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

Qt::ItemFlags TRestoreItemsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QVariant TRestoreItemsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const TId id = idOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return points.name(id).toString();
    case Qt::ToolTipRole:
        return points.path(id);
    case Qt::CheckStateRole:
        return int(checkState(id));
    case Qt::DecorationRole:
        return QApplication::style()->standardIcon(points.isFolder(id) ? QStyle::SP_DirIcon
                                                                       : QStyle::SP_FileIcon);
    default:
        return {};
    }
}

bool TRestoreItemsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole)
        return false;
    setChecked(idOf(index), Qt::CheckState(value.toInt()) == Qt::Checked);
    return true;
}

bool TRestoreItemsModel::isBelow(TId id, TId folder) const
{
    for (TId up = points.parent(id); up != TPointContents::kNone; up = points.parent(up))
        if (up == folder)
            return true;
    return false;
}

bool TRestoreItemsModel::inheritedState(TId id) const
{
    for (TId up = points.parent(id); up != TPointContents::kNone; up = points.parent(up)) {
        const auto mark = marks.constFind(up);
        if (mark != marks.constEnd())
            return mark.value();
    }
    return false;
}

void TRestoreItemsModel::setChecked(TId id, bool checked)
{
    // Marks further down are taken over by this one.
    for (auto it = marks.begin(); it != marks.end();)
        it = isBelow(it.key(), id) ? marks.erase(it) : std::next(it);
    if (id != TPointContents::kTop && inheritedState(id) == checked)
        marks.remove(id);
    else
        marks.insert(id, checked);
    // Every shown row may change: the ones below take the new mark, the ones above may become partial.
    Q_EMIT layoutAboutToBeChanged();
    Q_EMIT layoutChanged();
    Q_EMIT checksChanged();
}

Qt::CheckState TRestoreItemsModel::checkState(TId id) const
{
    const auto own = marks.constFind(id);
    const bool state = own != marks.constEnd() ? own.value() : inheritedState(id);
    for (auto it = marks.constBegin(); it != marks.constEnd(); ++it)
        if (it.value() != state && isBelow(it.key(), id))
            return Qt::PartiallyChecked;
    return state ? Qt::Checked : Qt::Unchecked;
}

void TRestoreItemsModel::collect(TId id, bool inherited, const QSet<TId>& marked, QStringList& items) const
{
    const bool state = marks.value(id, inherited);
    if (!marked.contains(id)) {
        if (state)
            items.append(points.path(id));
        return;
    }
    for (TId child : points.children(id))
        collect(child, state, marked, items);
}

QStringList TRestoreItemsModel::chosenItems() const
{
    // The folders that hold a mark below them: only those are looked into.
    QSet<TId> marked;
    for (auto it = marks.constBegin(); it != marks.constEnd(); ++it)
        for (TId up = points.parent(it.key()); up != TPointContents::kNone && !marked.contains(up);
             up = points.parent(up))
            marked.insert(up);
    QStringList items;
    collect(TPointContents::kTop, false, marked, items);
    return items;
}

bool TRestoreItemsModel::anythingChecked() const
{
    for (auto it = marks.constBegin(); it != marks.constEnd(); ++it)
        if (it.value())
            return true;
    return false;
}
