// A files-and-folders job's own operations: starting a backup run, the run itself and the removal of
// its backups. Every front end (window, scheduler, command line) starts runs through Backup, which
// takes the job's run lock, so that one job never runs twice at the same time.
#include "engine/FilesBackupRun.h"
#include "engine/StorageProbe.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "operations/RunLifecycle.h"
#include "platform/JobRunLock.h"
#include "storage/StorageConnection.h"

#include <memory>

bool TJob_FilesAndFolders::Backup()
{
    auto lock = std::make_unique<TJobRunLock>(FoldJobName(stJobName));
    if (!lock->tryLock())
        return false;
    BeginBackupRun(*this);
    StartBackupWorker(*this, std::move(lock), [this](const std::function<void()>& releaseLock) {
        TFilesBackupRun run(*this);
        run.setBeforeIdle(releaseLock);
        run.Run();
    });
    return true;
}

void TJob_FilesAndFolders::BackupInThread()
{
    TFilesBackupRun run(*this);
    run.Run();
}

bool TJob_FilesAndFolders::Remove()
{
    OptionsToJobOptions();
    JobOperation = joRemove;
    const TStorageConnectionResult connection = ConnectToStorage();
    if (!connection.error.isEmpty())
        AddEvent(ConnectionErrorLine(*this, connection));
    if (!connection.ok())
        return false;
    const QString& backupRoot = connection.folder;
    const QString remoteJobFile = backupRoot + QStringLiteral(".kxj");
    bool removed = false;
    // A job whose first run never finished has no remote job file; its folder still goes.
    if (StoragePathIsMissing(*this, remoteJobFile) ||
        FileOperation(atRemoveRemoteFile, QString(), remoteJobFile, 0, true) == orSuccess)
        removed = FileOperation(atRemoveRemoteNotEmptyFolder, QString(), backupRoot, 0, true) == orSuccess;
    DisconnectFromStorage();
    return removed;
}
