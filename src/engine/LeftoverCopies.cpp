#include "engine/LeftoverCopies.h"

#include "engine/PathList.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob.h"
#include "platform/CopyFile.h"
#include "platform/FileSystem.h"
#include "storage/StorageAccess.h"

namespace {

struct TLeftoverSweep
{
    TJob& job;
    TFileSystem& fileSystem;
    const TPathList& recorded;
    qint32 retries;

    bool cancelled() const { return job.JobStatus.load() == jsCancelling; }

    void sweep(const QString& folder, const QString& relativeFolder)
    {
        QList<TDirEntry> entries;
        if (fileSystem.list(folder, entries) != 0)
            return; // an unreadable folder keeps what it holds; the run itself reports the storage
        for (const TDirEntry& entry : std::as_const(entries)) {
            if (cancelled())
                return;
            const QString relative =
                relativeFolder.isEmpty() ? entry.name : relativeFolder + '/' + entry.name;
            if (entry.stat.isFolder && !entry.stat.isSymlink)
                sweep(JoinPath(folder, entry.name), relative);
            else if (IsTemporaryNameBeside(entry.name) && !recorded.contains(relative))
                job.FileOperation(atRemoveRemoteFile, QString(), JoinPath(folder, entry.name), retries, true);
        }
    }
};

} // namespace

void RemoveLeftoverCopies(TJob& job, const QString& folder, const TPathList& recorded, qint32 retries)
{
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    if (TFileSystem* fileSystem = access.fileSystemFor(folder, error))
        TLeftoverSweep{job, *fileSystem, recorded, retries}.sweep(folder, QString());
}
