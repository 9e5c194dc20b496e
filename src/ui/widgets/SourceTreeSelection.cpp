#include "ui/widgets/SourceTreeSelection.h"

#include "jobs/JobSettingsChecks.h"
#include "platform/FolderNames.h"

#include <algorithm>

void TSourceTreeSelection::SetEntries(const QStringList& list)
{
    entries.clear();
    for (const QString& text : list)
        entries.append(TEntry{text, SourceEntryPath(text), IsFolderSourceEntry(text)});
    Rebuild();
}

QStringList TSourceTreeSelection::Entries() const
{
    QStringList list;
    list.reserve(entries.size());
    for (const TEntry& entry : entries)
        list.append(entry.text);
    return list;
}

QString TSourceTreeSelection::EntryOf(const QString& path, bool isFolder)
{
    if (!isFolder)
        return path;
    return path == QLatin1String("/") ? QStringLiteral("/*") : path + QStringLiteral("/*");
}

QString TSourceTreeSelection::ParentOf(const QString& path)
{
    if (path == QLatin1String("/"))
        return {};
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString TSourceTreeSelection::ChildPath(const QString& folder, const QString& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool TSourceTreeSelection::IsBelow(const QString& path, const QString& folder) const
{
    if (folder == QLatin1String("/"))
        return path.size() > 1 && path.startsWith('/');
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == '/';
}

QString TSourceTreeSelection::CheckedFolderAbove(const QString& path) const
{
    // The topmost one: a list taken from a job may hold a folder and one inside it.
    QString found;
    for (QString folder = ParentOf(path); !folder.isEmpty(); folder = ParentOf(folder))
        if (checkedFolders.contains(folder))
            found = folder;
    return found;
}

Qt::CheckState TSourceTreeSelection::StateOf(const QString& path) const
{
    if (checkedPaths.contains(path) || !CheckedFolderAbove(path).isEmpty())
        return Qt::Checked;
    return foldersAboveChecked.contains(path) ? Qt::PartiallyChecked : Qt::Unchecked;
}

void TSourceTreeSelection::Check(const QString& path, bool isFolder)
{
    if (StateOf(path) == Qt::Checked)
        return;
    entries.removeIf([&](const TEntry& entry) { return entry.path == path || IsBelow(entry.path, path); });
    entries.append(TEntry{EntryOf(path, isFolder), path, isFolder});
    Rebuild();
}

QList<TSourceTreeSelection::TEntry> TSourceTreeSelection::ContentsExcept(const QString& folder,
                                                                         const QString& keptOut) const
{
    QList<TFolderName> names;
    ListFolderNames(folder, names);
    std::sort(names.begin(), names.end(),
              [](const TFolderName& a, const TFolderName& b) { return a.name < b.name; });
    QList<TEntry> contents;
    for (const TFolderName& name : std::as_const(names)) {
        const QString path = ChildPath(folder, name.name);
        if (path == keptOut)
            continue;
        if (name.kind == TFolderName::fnFolder)
            contents.append(TEntry{EntryOf(path, true), path, true});
        else if (name.kind == TFolderName::fnFile || name.kind == TFolderName::fnLinkToFile)
            contents.append(TEntry{path, path, false});
    }
    return contents;
}

void TSourceTreeSelection::Uncheck(const QString& path)
{
    entries.removeIf([&](const TEntry& entry) { return entry.path == path || IsBelow(entry.path, path); });
    Rebuild();
    for (QString above = CheckedFolderAbove(path); !above.isEmpty(); above = CheckedFolderAbove(path)) {
        // The folder's place in the list goes to what stays checked of it, outermost level first.
        qsizetype at = 0;
        while (at < entries.size() && !(entries.at(at).isFolder && entries.at(at).path == above))
            ++at;
        entries.removeIf([&](const TEntry& entry) { return entry.isFolder && entry.path == above; });
        QStringList levels;
        for (QString folder = ParentOf(path); folder != above; folder = ParentOf(folder))
            levels.prepend(folder);
        levels.prepend(above);
        QSet<QString> kept;
        for (const TEntry& entry : std::as_const(entries))
            kept.insert(entry.path);
        QList<TEntry> replacement;
        for (qsizetype i = 0; i < levels.size(); ++i) {
            const QString next = i + 1 < levels.size() ? levels.at(i + 1) : path;
            for (const TEntry& entry : ContentsExcept(levels.at(i), next))
                if (!kept.contains(entry.path))
                    replacement.append(entry);
        }
        entries = entries.mid(0, at) + replacement + entries.mid(at);
        Rebuild();
    }
}

void TSourceTreeSelection::Rebuild()
{
    checkedPaths.clear();
    checkedFolders.clear();
    foldersAboveChecked.clear();
    for (const TEntry& entry : std::as_const(entries)) {
        checkedPaths.insert(entry.path);
        if (entry.isFolder)
            checkedFolders.insert(entry.path);
        // A folder already noted has its own ancestors noted too.
        for (QString folder = ParentOf(entry.path);
             !folder.isEmpty() && !foldersAboveChecked.contains(folder); folder = ParentOf(folder))
            foldersAboveChecked.insert(folder);
    }
}
