#include "engine/FilesBackup.h"

#include "engine/FilesBackupRun.h"
#include "engine/MessageText.h"
#include "engine/StorageProbe.h"
#include "jobs/JobCatalogue.h"
#include "logs/EventsLog.h"
#include "platform/JobRunLock.h"

#include <memory>
#include <thread>

namespace {
QString lockKey(const QString& jobName)
{
    return FoldJobName(jobName);
}
} // namespace

bool StartFilesAndFoldersBackup(TJob_FilesAndFolders& job)
{
    auto lock = std::make_unique<TJobRunLock>(lockKey(job.stJobName));
    if (!lock->tryLock())
        return false;
    job.JobStatus = jsRunning;
    job.JobOperation = joBackup;
    job.LastJobResult.StartTime = Now();
    job.LastJobResult.EndTime = 0;
    job.LastJobResult.Cancelled = false;
    job.LastJobResult.ErrorsCount = 0;
    job.LastJobResult.WarningsCount = 0;
    job.LastJobResult.Log.clear();
    job.OptionsToJobOptions();
    AddEvent(FillPlaceholders(job.Translate(QStringLiteral("Starting the \"%s\" backup.")), {job.stJobName}));
    std::thread([&job, lock = std::move(lock)]() mutable {
        TFilesBackupRun run(job);
        run.setBeforeIdle([&lock] { lock.reset(); });
        run.Run();
    }).detach();
    return true;
}

void RunFilesAndFoldersBackup(TJob_FilesAndFolders& job)
{
    TFilesBackupRun run(job);
    run.Run();
}

bool RemoveFilesAndFoldersBackups(TJob_FilesAndFolders& job)
{
    job.OptionsToJobOptions();
    job.JobOperation = joRemove;
    QString backupRoot = job.ConnectToStorage();
    if (backupRoot.startsWith(job.Translate(QStringLiteral("ERROR:")))) {
        AddEvent(backupRoot);
        backupRoot.clear();
    }
    if (backupRoot.isEmpty())
        return false;
    const QString remoteJobFile = backupRoot + QStringLiteral(".kxj");
    bool removed = false;
    // A job whose first run never finished has no remote job file; its folder still goes.
    if (StoragePathIsMissing(job, remoteJobFile) ||
        job.FileOperation(atRemoveRemoteFile, QString(), remoteJobFile, 0, true) == orSuccess)
        removed =
            job.FileOperation(atRemoveRemoteNotEmptyFolder, QString(), backupRoot, 0, true) == orSuccess;
    job.DisconnectFromStorage();
    return removed;
}

bool IsJobRunLocked(const QString& jobName)
{
    TJobRunLock lock(lockKey(jobName));
    if (!lock.tryLock())
        return true;
    lock.unlock();
    return false;
}
