#include "engine/StorageProbe.h"

#include "jobs/JobPaths.h"
#include "jobs/uJob.h"
#include "platform/CopyFile.h"
#include "platform/FileSystem.h"
#include "storage/StorageAccess.h"

#include <cerrno>

namespace {
// 0, ENOENT or another errno; -1 when the storage cannot be asked at all.
int statOnStorage(TJob& job, const QString& path)
{
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    TFileSystem* fileSystem = access.fileSystemFor(path, error);
    TFileStat st;
    return fileSystem ? fileSystem->stat(path, st, false) : -1;
}

QString withCaseSwapped(const QString& name)
{
    QString swapped = name;
    for (QChar& c : swapped)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return swapped;
}
} // namespace

bool StoragePathIsMissing(TJob& job, const QString& path)
{
    return statOnStorage(job, path) == ENOENT;
}

bool StorageFolderIgnoresCase(TJob& job, const QString& folder)
{
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    TFileSystem* fileSystem = access.fileSystemFor(folder, error);
    if (!fileSystem)
        return true;
    // A temporary copy's name: a probe left behind by a run that stopped here is swept up like one.
    const QString probe = TemporaryNameBeside(JoinPath(folder, QStringLiteral("probe")));
    std::unique_ptr<TFileHandle> handle;
    TOpenOptions options;
    options.exclusive = true;
    if (fileSystem->openWrite(probe, handle, options) != 0)
        return true;
    handle->close();
    TFileStat st;
    const int found = fileSystem->stat(JoinPath(folder, withCaseSwapped(LastPathComponent(probe))), st);
    fileSystem->removeFile(probe);
    return found != ENOENT;
}

std::unique_ptr<TVolumeWrites> WatchStorageWrites(TJob& job, const QString& path)
{
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    TFileSystem* fileSystem = access.fileSystemFor(path, error);
    return fileSystem ? fileSystem->watchWrites(path) : nullptr;
}
