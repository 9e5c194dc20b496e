#pragma once
// The model of the source tree: the user's places (home, its standard folders, mounted volumes, the
// root of the file system) and, below each, the file system. A folder is listed on a worker thread
// the first time it is expanded; links to folders are shown but never entered. Check states come from
// the selection, which holds the checked items as a job's source list.
#include "platform/FolderNames.h"
#include "ui/widgets/SourceTreeSelection.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <functional>
#include <memory>
#include <vector>

class TSourceTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit TSourceTreeModel(QObject* parent = nullptr);
    ~TSourceTreeModel() override;

    // Builds the places again; nothing is listed until it is expanded. The selection is kept.
    void Refresh();

    void SetCheckedPaths(const QStringList& entries);
    QStringList CheckedPaths() const { return selection.Entries(); }

    // The file-system path of an item.
    QString PathOf(const QModelIndex& index) const;
    // The first item of the places or of the folders already listed whose path is `path`.
    QModelIndex IndexOfPath(const QString& path) const;
    // Folders being listed now.
    int PendingListings() const { return pendingListings; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    void checkedPathsChanged();
    // A folder's listing has arrived (its rows are in the model).
    void folderListed(const QModelIndex& folder);

private:
    struct TNode;
    struct TListingChannel;

    enum TIcon
    {
        icFolder,
        icFile,
        icLinkToFolder,
        icLinkToFile,
        icHome,
        icDrive,
        icRoot,
        icCount
    };

    TNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TNode* node) const;
    void AddPlace(const QString& path, const QString& name, TIcon icon);
    void Listed(quint64 generation, TNode* node, std::vector<std::unique_ptr<TNode>> children);
    void AllStatesChanged();
    void StatesChanged(TNode* parent);

    std::vector<std::unique_ptr<TNode>> places;
    TSourceTreeSelection selection;
    std::shared_ptr<TListingChannel> channel;
    quint64 generation = 0;
    int pendingListings = 0;
    QIcon icons[icCount];
};
