// The drive image job's operations: starting a backup run and removing the job's backups.
#include "driveimage/DriveImageRun.h"
#include "driveimage/ElevatedToolCommand.h"
#include "driveimage/ImageToolCommandLine.h"
#include "engine/MessageText.h"
#include "jobs/JobCatalogue.h"
#include "logs/EventsLog.h"
#include "platform/Clock.h"
#include "platform/JobRunLock.h"

#include <exception>
#include <memory>
#include <thread>

bool TJob_DriveImage::Backup()
{
    auto lock = std::make_unique<TJobRunLock>(FoldJobName(stJobName));
    if (!lock->tryLock())
        return false;
    JobStatus = jsRunning;
    JobOperation = joBackup;
    LastJobResult.StartTime = Now();
    LastJobResult.EndTime = 0;
    LastJobResult.Cancelled = false;
    LastJobResult.ErrorsCount = 0;
    LastJobResult.WarningsCount = 0;
    LastJobResult.Log.clear();
    OptionsToJobOptions();
    AddEvent(FillPlaceholders(Translate(QStringLiteral("Starting the \"%s\" backup.")), {stJobName}));
    std::thread([this, lock = std::move(lock)]() mutable {
        QString failure;
        try {
            TDriveImageRun run(*this);
            run.setBeforeIdle([&lock] { lock.reset(); });
            run.Run();
            return;
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
        } catch (...) {
            failure = QStringLiteral("unknown error");
        }
        lock.reset();
        // A run that broke off has failed: counted, so that nobody reads it as finished.
        ++LastJobResult.ErrorsCount;
        LastJobResult.EndTime = Now();
        JobStatus = jsNone;
        AddEvent(FillPlaceholders(Translate(QStringLiteral("Error occured in job \"%s\": %s")),
                                  {stJobName, failure}));
    }).detach();
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
    QString storageFolder = ConnectToStorage();
    if (storageFolder.startsWith(Translate(QStringLiteral("ERROR:")))) {
        AddEvent(storageFolder);
        storageFolder.clear();
    }
    if (storageFolder.isEmpty())
        return false;
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
