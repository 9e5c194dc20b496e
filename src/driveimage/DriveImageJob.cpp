// The drive image job's operations: starting a backup run and removing the job's backups.
#include "base/Clock.h"
#include "base/Placeholders.h"
#include "driveimage/DriveImageRun.h"
#include "driveimage/ElevatedToolCommand.h"
#include "driveimage/ImageToolCommandLine.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "operations/RunLifecycle.h"
#include "platform/JobRunLock.h"
#include "storage/StorageConnection.h"

#include <memory>

bool TJob_DriveImage::Backup()
{
    auto lock = std::make_unique<TJobRunLock>(FoldJobName(stJobName));
    if (!lock->tryLock())
        return false;
    BeginBackupRun(*this);
    StartBackupWorker(*this, std::move(lock), [this](const std::function<void()>& releaseLock) {
        TDriveImageRun run(*this);
        run.setBeforeIdle(releaseLock);
        run.Run();
    });
    return true;
}

void TJob_DriveImage::BackupInThread()
{
    TDriveImageRun run(*this);
    run.Run();
}

bool TJob_DriveImage::Remove()
{
    using namespace ImageToolCommandLine;
    OptionsToJobOptions();
    JobOperation = joRemove;
    const qint32 errorsBefore = LastJobResult.ErrorsCount;
    const TStorageConnectionResult connection = ConnectToStorage();
    if (!connection.error.isEmpty())
        AddEvent(ConnectionErrorLine(*this, connection));
    if (!connection.ok())
        return false;
    const QString& storageFolder = connection.folder;
    bool handedOver = false;
    // Only errors of this removal hold the deletion back, not those of the last backup run.
    if (FileOperation(atRemoveRemoteFile, QString(), storageFolder + QStringLiteral(".kxj"), 0, true) ==
            orSuccess &&
        Settings.AutocleanOldBackups && LastJobResult.ErrorsCount == errorsBefore) {
        const QStringList arguments =
            WithCommand("delete", "backup", DeleteArguments(*this, QStringLiteral("0")));
        for (const QString& variant : ToolVariants()) {
            if (ElevatedToolCommand::Start(variant, arguments, ToolEnvironment(*this))) {
                handedOver = true;
                break;
            }
        }
    }
    DisconnectFromStorage();
    return handedOver;
}
