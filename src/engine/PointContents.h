#pragma once
// The files and folders a restore point holds, as a tree built from the catalogs of its chain (or the
// mirror's lists) without copying anything, and the choice of items a restore is limited to.
//
// The tree keeps little per entry: the cleaned relative path (shared with the lookup index), its parent
// and, for a file, which backup folder of the chain holds its copy. Paths are found through a hash,
// children through one flat array sorted once (folders first, then by name).
#include <QHash>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

// A catalog entry as a clean relative path ("." and empty components dropped); an empty string for
// the top ("" or "."), and a null string for an entry that leaves it ("..").
QString CleanCatalogEntry(const QString& entry);

class TPointContents
{
public:
    using TId = qint32;
    static constexpr TId kTop = 0;
    static constexpr TId kNone = -1;

    TPointContents();

    // Building, one backup folder of the chain after the other, in the order a restore applies them:
    // what the folder recorded as gone leaves the tree, its folders and files join it. `source` is the
    // folder's index in `storageFolders` (-1: the mirror itself, BackupRoot).
    void apply(qint32 source, const QStringList& files, const QStringList& folders,
               const QStringList& removedFiles, const QStringList& removedFolders);
    // Ends the building: sorts the children once and drops what only the building needed.
    void finish();

    // The entry of a cleaned relative path ("" is the top); kNone when the point does not hold it.
    TId find(const QString& path) const;
    bool isFolder(TId id) const { return nodes[size_t(id)].folder; }
    const QString& path(TId id) const { return nodes[size_t(id)].path; }
    QStringView name(TId id) const;
    TId parent(TId id) const { return nodes[size_t(id)].parent; }
    // The entries right inside a folder, folders first, each group by name.
    std::span<const TId> children(TId id) const;
    // The position of an entry among the children of its folder.
    qint32 row(TId id) const { return nodes[size_t(id)].row; }
    // The backup subfolder holding a file's copy (empty: the mirror's folder itself).
    QString storageFolderOf(TId id) const;
    // Files and folders the point holds (the top not counted).
    qint64 fileCount() const { return files; }
    qint64 folderCount() const { return folders; }

    // The backup subfolders of the chain, oldest first (empty for a mirror).
    QStringList storageFolders;

private:
    struct TNode
    {
        QString path;
        TId parent = kNone;
        TId firstChild = kNone; // while building: every child ever added, present or not
        TId nextSibling = kNone;
        qint32 childrenBegin = 0; // after finish(): the range in `sortedChildren`
        qint32 childrenCount = 0;
        qint32 row = 0;
        qint16 source = -1;
        bool folder = true;
        bool present = false;
    };

    TId entry(const QString& cleanPath, bool folder);
    void remove(const QString& cleanPath);
    void removeSubtree(TId id);

    std::vector<TNode> nodes;
    std::vector<TId> sortedChildren;
    QHash<QString, TId> index;
    qint64 files = 0;
    qint64 folders = 0;
};

// The items a restore is limited to: relative paths of files and folders; a folder stands for
// everything below it. No items means everything. Each test costs one lookup per level of the entry.
class TRestoreSelection
{
public:
    TRestoreSelection() = default;
    explicit TRestoreSelection(const QStringList& items);

    bool isEverything() const { return chosen.isEmpty(); }
    const QStringList& items() const { return list; }
    // True when the cleaned entry or a folder above it was chosen.
    bool covers(const QString& cleanEntry) const;
    // True when a chosen item lies below the cleaned folder entry (its folder is made for it).
    bool leadsTo(const QString& cleanEntry) const;

private:
    QStringList list;
    QHash<QString, bool> chosen;
    QHash<QString, bool> above;
};
