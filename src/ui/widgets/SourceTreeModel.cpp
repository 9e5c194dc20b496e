#include "ui/widgets/SourceTreeModel.h"

#include "i18n/Translate.h"
#include "platform/DirectoryListing.h"
#include "platform/MountTable.h"
#include "platform/StandardFolders.h"

#include <QApplication>
#include <QDir>
#include <QMutex>
#include <QStandardPaths>
#include <QStyle>
#include <QThreadPool>

#include <algorithm>

struct TSourceTreeModel::TNode
{
    QString path;
    QString name;
    TFolderName::TKind kind = TFolderName::fnFolder;
    TIcon icon = icFolder;
    TNode* parent = nullptr;
    int row = 0;
    bool listed = false;
    bool listing = false;
    std::vector<std::unique_ptr<TNode>> children;

    bool canHaveChildren() const { return kind == TFolderName::fnFolder; }
};

// Listings finish on worker threads; they reach the model only while it exists.
struct TSourceTreeModel::TListingChannel
{
    QMutex mutex;
    TSourceTreeModel* model = nullptr;
};

namespace {

// Folders first, then files, each by name ignoring case.
void SortForBrowsing(QList<TFolderName>& names)
{
    const auto isFolder = [](const TFolderName& n) {
        return n.kind == TFolderName::fnFolder || n.kind == TFolderName::fnLinkToFolder;
    };
    std::sort(names.begin(), names.end(), [&](const TFolderName& a, const TFolderName& b) {
        if (isFolder(a) != isFolder(b))
            return isFolder(a);
        const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.name < b.name;
    });
}

// Mounts a user thinks of as volumes: removable and added drives, and any other block device that is not
// part of the system's own layout.
QStringList VolumeMountPoints()
{
    QStringList points;
    const TMountTable mounts = TMountTable::FromSystem();
    for (const TMountEntry& mount : mounts.Entries()) {
        const QString& point = mount.MountPoint;
        const bool userPlace = point.startsWith(QLatin1String("/media/")) ||
                               point.startsWith(QLatin1String("/run/media/")) ||
                               point.startsWith(QLatin1String("/mnt/"));
        const bool systemPlace =
            point == QLatin1String("/") || point.startsWith(QLatin1String("/boot")) ||
            point.startsWith(QLatin1String("/snap/")) || point.startsWith(QLatin1String("/proc")) ||
            point.startsWith(QLatin1String("/sys")) || point.startsWith(QLatin1String("/dev")) ||
            point.startsWith(QLatin1String("/run")) || point.startsWith(QLatin1String("/var/lib/"));
        const bool blockDevice = mount.Source.startsWith(QLatin1String("/dev/")) &&
                                 !mount.Source.startsWith(QLatin1String("/dev/loop"));
        if ((userPlace || (blockDevice && !systemPlace)) && !points.contains(point))
            points.append(point);
    }
    return points;
}

} // namespace

TSourceTreeModel::TSourceTreeModel(QObject* parent)
    : QAbstractItemModel(parent), channel(std::make_shared<TListingChannel>())
{
    channel->model = this;
    QStyle* style = QApplication::style();
    icons[icFolder] = style->standardIcon(QStyle::SP_DirIcon);
    icons[icFile] = style->standardIcon(QStyle::SP_FileIcon);
    icons[icLinkToFolder] = style->standardIcon(QStyle::SP_DirLinkIcon);
    icons[icLinkToFile] = style->standardIcon(QStyle::SP_FileLinkIcon);
    icons[icHome] = style->standardIcon(QStyle::SP_DirHomeIcon);
    icons[icDrive] = style->standardIcon(QStyle::SP_DriveHDIcon);
    icons[icRoot] = style->standardIcon(QStyle::SP_ComputerIcon);
    Refresh();
}

TSourceTreeModel::~TSourceTreeModel()
{
    QMutexLocker lock(&channel->mutex);
    channel->model = nullptr;
}

void TSourceTreeModel::AddPlace(const QString& path, const QString& name, TIcon icon)
{
    if (path.isEmpty() || !SourceFolderExists(path))
        return;
    auto node = std::make_unique<TNode>();
    node->path = path == QLatin1String("/") ? path : QDir::cleanPath(path);
    node->name = name;
    node->icon = icon;
    node->row = int(places.size());
    places.push_back(std::move(node));
}

void TSourceTreeModel::Refresh()
{
    beginResetModel();
    ++generation;
    pendingListings = 0;
    places.clear();
    const QString home = QDir::cleanPath(StandardFolders::homeFolder());
    AddPlace(home, Translate(QStringLiteral("Home")), icHome);
    for (const auto location : {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
                                QStandardPaths::DownloadLocation, QStandardPaths::MusicLocation,
                                QStandardPaths::PicturesLocation, QStandardPaths::MoviesLocation}) {
        const QString folder = QDir::cleanPath(QStandardPaths::writableLocation(location));
        if (folder != home && folder.startsWith(home + '/'))
            AddPlace(folder, QDir(folder).dirName(), icFolder);
    }
    for (const QString& point : VolumeMountPoints())
        AddPlace(point, QDir(point).dirName(), icDrive);
    AddPlace(QStringLiteral("/"), Translate(QStringLiteral("File System")), icRoot);
    endResetModel();
}

void TSourceTreeModel::SetCheckedPaths(const QStringList& entries)
{
    selection.SetEntries(entries);
    AllStatesChanged();
}

TSourceTreeModel::TNode* TSourceTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TSourceTreeModel::IndexOf(const TNode* node) const
{
    return node ? createIndex(node->row, 0, const_cast<TNode*>(node)) : QModelIndex();
}

QString TSourceTreeModel::PathOf(const QModelIndex& index) const
{
    const TNode* node = NodeOf(index);
    return node ? node->path : QString();
}

QModelIndex TSourceTreeModel::IndexOfPath(const QString& path) const
{
    for (const auto& place : places)
        if (place->path == path)
            return IndexOf(place.get());
    for (const auto& place : places) {
        const TNode* node = place.get();
        while (node && node->path != path) {
            const QString below = node->path == QLatin1String("/") ? QStringLiteral("/") : node->path + '/';
            if (!path.startsWith(below))
                break;
            const QString name = path.mid(below.size()).section('/', 0, 0);
            const auto child = std::find_if(node->children.begin(), node->children.end(),
                                            [&](const auto& c) { return c->name == name; });
            node = child == node->children.end() ? nullptr : child->get();
        }
        if (node && node->path == path)
            return IndexOf(node);
    }
    return {};
}

QModelIndex TSourceTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (const TNode* node = NodeOf(parent)) {
        if (size_t(row) >= node->children.size())
            return {};
        return createIndex(row, 0, node->children[size_t(row)].get());
    }
    if (size_t(row) >= places.size())
        return {};
    return createIndex(row, 0, places[size_t(row)].get());
}

QModelIndex TSourceTreeModel::parent(const QModelIndex& child) const
{
    const TNode* node = NodeOf(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int TSourceTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TNode* node = NodeOf(parent);
    return int(node ? node->children.size() : places.size());
}

int TSourceTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TSourceTreeModel::hasChildren(const QModelIndex& parent) const
{
    const TNode* node = NodeOf(parent);
    if (!node)
        return !places.empty();
    return node->canHaveChildren() && (!node->listed || !node->children.empty());
}

bool TSourceTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const TNode* node = NodeOf(parent);
    return node && node->canHaveChildren() && !node->listed && !node->listing;
}

void TSourceTreeModel::fetchMore(const QModelIndex& parent)
{
    TNode* node = NodeOf(parent);
    if (!node || !canFetchMore(parent))
        return;
    node->listing = true;
    ++pendingListings;
    // The names are listed, sorted and made into items on the worker: a folder of a hundred thousand
    // entries then costs the window thread only the insertion of the finished rows.
    QThreadPool::globalInstance()->start(
        [channel = channel, path = node->path, generation = generation, node] {
            QList<TFolderName> names;
            ListFolderNames(path, names);
            names.removeIf([](const TFolderName& n) { return n.kind == TFolderName::fnOther; });
            SortForBrowsing(names);
            auto children = std::make_shared<std::vector<std::unique_ptr<TNode>>>();
            children->reserve(size_t(names.size()));
            for (const TFolderName& name : std::as_const(names)) {
                auto child = std::make_unique<TNode>();
                child->path = TSourceTreeSelection::ChildPath(path, name.name);
                child->name = name.name;
                child->kind = name.kind;
                child->icon = name.kind == TFolderName::fnFolder         ? icFolder
                              : name.kind == TFolderName::fnLinkToFolder ? icLinkToFolder
                              : name.kind == TFolderName::fnLinkToFile   ? icLinkToFile
                                                                         : icFile;
                child->parent = node;
                child->row = int(children->size());
                children->push_back(std::move(child));
            }
            QMutexLocker lock(&channel->mutex);
            if (TSourceTreeModel* model = channel->model)
                QMetaObject::invokeMethod(
                    model,
                    [model, generation, node, children] {
                        model->Listed(generation, node, std::move(*children));
                    },
                    Qt::QueuedConnection);
        });
}

void TSourceTreeModel::Listed(quint64 listingGeneration, TNode* node,
                              std::vector<std::unique_ptr<TNode>> children)
{
    // A refresh since the listing began has released the node.
    if (listingGeneration != generation)
        return;
    --pendingListings;
    node->listing = false;
    node->listed = true;
    const QModelIndex folder = IndexOf(node);
    if (children.empty()) {
        // The folder loses its expander.
        Q_EMIT layoutAboutToBeChanged({QPersistentModelIndex(folder)});
        Q_EMIT layoutChanged({QPersistentModelIndex(folder)});
        Q_EMIT folderListed(folder);
        return;
    }
    beginInsertRows(folder, 0, int(children.size()) - 1);
    node->children = std::move(children);
    endInsertRows();
    Q_EMIT folderListed(folder);
}

QVariant TSourceTreeModel::data(const QModelIndex& index, int role) const
{
    const TNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case Qt::DecorationRole:
        return icons[node->icon];
    case Qt::ToolTipRole:
        return node->path;
    case Qt::CheckStateRole:
        return selection.StateOf(node->path);
    default:
        return {};
    }
}

bool TSourceTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const TNode* node = NodeOf(index);
    if (!node || role != Qt::CheckStateRole)
        return false;
    const bool isFolder = node->kind == TFolderName::fnFolder || node->kind == TFolderName::fnLinkToFolder;
    if (value.value<Qt::CheckState>() == Qt::Checked)
        selection.Check(node->path, isFolder);
    else
        selection.Uncheck(node->path);
    AllStatesChanged();
    Q_EMIT checkedPathsChanged();
    return true;
}

Qt::ItemFlags TSourceTreeModel::flags(const QModelIndex& index) const
{
    if (!NodeOf(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

void TSourceTreeModel::StatesChanged(TNode* parent)
{
    const auto& children = parent ? parent->children : places;
    if (children.empty())
        return;
    Q_EMIT dataChanged(IndexOf(children.front().get()), IndexOf(children.back().get()), {Qt::CheckStateRole});
    for (const auto& child : children)
        if (!child->children.empty())
            StatesChanged(child.get());
}

void TSourceTreeModel::AllStatesChanged()
{
    StatesChanged(nullptr);
}
