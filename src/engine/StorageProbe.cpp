#include "engine/StorageProbe.h"

#include "jobs/uJob.h"
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
} // namespace

bool StoragePathIsMissing(TJob& job, const QString& path)
{
    return statOnStorage(job, path) == ENOENT;
}

std::unique_ptr<TVolumeWrites> WatchStorageWrites(TJob& job, const QString& path)
{
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    TFileSystem* fileSystem = access.fileSystemFor(path, error);
    return fileSystem ? fileSystem->watchWrites(path) : nullptr;
}
