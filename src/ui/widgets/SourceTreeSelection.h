#pragma once
// The checked items of the source tree, held as a job's source list: a folder as "path/*" (the root of
// the file system as "/*"), a file as its path, in the order they were checked. Everything below a
// checked folder shows checked; a folder with something checked below it shows partially checked.
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class TSourceTreeSelection
{
public:
    // Takes a source list as it is (order and spelling kept).
    void SetEntries(const QStringList& entries);
    QStringList Entries() const;
    qsizetype Count() const { return entries.size(); }

    Qt::CheckState StateOf(const QString& path) const;

    // Checks a folder or a file: whatever was checked below it is now part of it.
    void Check(const QString& path, bool isFolder);
    // Unchecks an item. When a checked folder holds it, that folder gives way to its other contents,
    // level by level down to the item (links to folders, which a backup never enters, are left out).
    void Uncheck(const QString& path);

    // The entry of a folder or a file path.
    static QString EntryOf(const QString& path, bool isFolder);
    // "/home/ann" for "/home/ann/x"; empty for "/".
    static QString ParentOf(const QString& path);
    static QString ChildPath(const QString& folder, const QString& name);

private:
    struct TEntry
    {
        QString text;
        QString path;
        bool isFolder = false;
    };

    bool IsBelow(const QString& path, const QString& folder) const;
    QString CheckedFolderAbove(const QString& path) const;
    QList<TEntry> ContentsExcept(const QString& folder, const QString& keptOut) const;
    void Rebuild();

    QList<TEntry> entries;
    QSet<QString> checkedPaths;
    QSet<QString> checkedFolders;
    QSet<QString> foldersAboveChecked;
};
