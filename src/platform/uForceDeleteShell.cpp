#include "platform/uForceDeleteShell.h"

#include "platform/FileSystem.h"

#include <cerrno>

namespace {

// Removes an entry that is known to exist; links are removed, never followed.
void deleteEntry(TFileSystem& fileSystem, const QString& path, const TFileStat& st)
{
    if (st.isFolder && !st.isSymlink) {
        if ((st.mode & 0700) != 0700)
            fileSystem.setPermissions(path, st.mode | 0700);
        QList<TDirEntry> entries;
        fileSystem.list(path, entries);
        for (const TDirEntry& entry : std::as_const(entries))
            deleteEntry(fileSystem, path + '/' + entry.name, entry.stat);
        fileSystem.removeFolder(path);
        return;
    }
    if (!st.isSymlink)
        fileSystem.makeWritable(path);
    fileSystem.removeFile(path);
}

} // namespace

bool ShellDeleteItem(TFileSystem& fileSystem, const QString& path, QString* error)
{
    TFileStat st;
    if (fileSystem.stat(path, st, false) != 0) {
        if (error)
            *error = QStringLiteral("Failed to create shell item: ") + path;
        return false;
    }
    deleteEntry(fileSystem, path, st);
    TFileStat after;
    return fileSystem.stat(path, after, false) == ENOENT;
}
