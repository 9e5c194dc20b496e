// TJob::ChangeName: a job's new name given to its backup folder, its files and its log folder.
#include "operations/JobRename.h"

#include "base/Placeholders.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobNames.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/JobRunLock.h"
#include "platform/StandardFolders.h"
#include "storage/DestinationIdentity.h"
#include "storage/StorageConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The local job file takes the new name; a file that already has it is replaced.
bool renameLocalJobFile(TJob& job, const QString& newName)
{
    const QString oldPath = LocalJobFilePath(job.stJobName);
    const QString newPath = LocalJobFilePath(newName);
    if (!oldPath.isEmpty() && !newPath.isEmpty()) {
        if (QFileInfo::exists(newPath))
            QFile::remove(newPath);
        if (QFile::rename(oldPath, newPath)) {
            // The drive remembered for the job's destination stays the job's.
            MoveDestinationIdentity(job.stJobName, newName);
            job.stJobName = newName;
            return true;
        }
    }
    AddEvent(FillPlaceholders(
        job.Translate(QStringLiteral("Unable to rename the file \"%s\" to \"%s\" in directory: %s")),
        {job.stJobName + QStringLiteral(".obd"), newName + QStringLiteral(".obd"),
         StandardFolders::applicationDataFolder()}));
    return false;
}

// The backup folder, the job file copy beside it and the log folder take the new name, then the local
// job file. A step that has succeeded is kept when a later one fails.
bool renameWithStorage(TJob& job, const QString& newName)
{
    const TStorageConnectionResult connection = job.ConnectToStorage();
    if (!connection.error.isEmpty())
        AddEvent(ConnectionErrorLine(job, connection));
    if (!connection.ok())
        return false;
    const QString& backupFolder = connection.folder;
    // The storage folder ends with the job's own name, after the destination and its separator.
    const QString destination = backupFolder.chopped(job.stJobName.size());
    const QString newFolder = JobNamedPath(destination, newName);
    const QString jobFileSuffix = QStringLiteral(".kxj");
    bool renamed = false;
    if (!newFolder.isEmpty() &&
        job.FileOperation(atRenameRemoteFolder, newFolder, backupFolder, 0, false) == orSuccess &&
        job.FileOperation(atRenameRemoteFile, newFolder + jobFileSuffix, backupFolder + jobFileSuffix, 0,
                          false) == orSuccess) {
        const QString oldLogs = JobLogFolder(job);
        const QString newLogs = JobNamedPath(job.JobOptions.Logging.PathForLogFiles, newName);
        // The logs follow when they can; a failure here does not hold the rename back.
        if (!oldLogs.isEmpty() && !newLogs.isEmpty() && QFileInfo(oldLogs).isDir())
            QDir().rename(oldLogs, newLogs);
        renamed = renameLocalJobFile(job, newName);
    }
    return renamed;
}

} // namespace

bool TJob::ChangeName(const QString& newName)
{
    // Every path below is built from both names: neither may lead out of its folder.
    if (!IsValidJobName(newName) || !IsValidJobName(stJobName)) {
        AddEvent(JobNameUnusableText(*this, IsValidJobName(newName) ? stJobName : newName));
        return false;
    }
    if (LastJobResult.EndTime.load() == 0)
        return renameLocalJobFile(*this, newName);
    JobStatus = jsRunning;
    JobOperation = joRename;
    OptionsToJobOptions();
    const bool renamed = renameWithStorage(*this, newName);
    DisconnectFromStorage();
    SetStatus(jsNone);
    return renamed;
}

TJobRenameOutcome RenameJob(TJobCatalogue& catalogue, TJob& job, const QString& newName)
{
    // Held while the job's folders and files change, so that no run of it starts meanwhile.
    TJobRunLock runLock(FoldJobName(job.stJobName));
    if (!job.isIdle() || !runLock.tryLock())
        return rnJobRunning;
    const QString oldName = job.stJobName;
    if (!job.ChangeName(newName))
        return rnFailed;
    catalogue.SaveJobsList();
    AddEvent(
        FillPlaceholders(Translate(QStringLiteral("Job \"%s\" is renamed to \"%s\".")), {oldName, newName}));
    return rnRenamed;
}
