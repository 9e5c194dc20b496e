#include "engine/StorageProbe.h"

#include "jobs/uJob.h"
#include "platform/FileSystem.h"
#include "storage/StorageAccess.h"

#include <cerrno>

bool StoragePathIsMissing(TJob& job, const QString& path)
{
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    TFileSystem* fileSystem = access.fileSystemFor(path, error);
    TFileStat st;
    return fileSystem && fileSystem->stat(path, st, false) == ENOENT;
}
