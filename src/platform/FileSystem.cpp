#include "platform/FileSystem.h"

#include <cerrno>

bool TFileSystem::exists(const QString& path)
{
    TFileStat st;
    return stat(path, st) == 0;
}

bool TFileSystem::folderExists(const QString& path)
{
    TFileStat st;
    return stat(path, st) == 0 && st.isFolder;
}

int TFileSystem::makePath(const QString& path)
{
    TFileStat st;
    int error = stat(path, st);
    if (error == 0)
        return st.isFolder ? 0 : ENOTDIR;
    if (error != ENOENT)
        return error;
    const QString parent = ParentPath(path);
    if (!parent.isEmpty() && parent != path) {
        error = makePath(parent);
        if (error != 0)
            return error;
    }
    error = makeFolder(path);
    // Another run may create the same folder at the same moment.
    if (error == EEXIST && folderExists(path))
        return 0;
    return error;
}

int TFileSystem::makeWritable(const QString& path)
{
    TFileStat st;
    const int error = stat(path, st);
    if (error != 0)
        return error;
    if (st.mode & 0200)
        return 0;
    return setPermissions(path, st.mode | 0200);
}

QString ParentPath(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf('/');
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return trimmed.left(slash);
}

QString LastPathComponent(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf('/') + 1);
}
