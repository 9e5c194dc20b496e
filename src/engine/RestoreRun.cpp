#include "engine/RestoreRun.h"

#include "base/Placeholders.h"
#include "engine/CatalogFile.h"
#include "engine/ChecksumFile.h"
#include "engine/PointVerification.h"
#include "engine/RestorePoints.h"
#include "events/EventsLog.h"
#include "jobs/JobPaths.h"
#include "logs/RunLog.h"
#include "platform/AskingUser.h"
#include "platform/FileSystemLocal.h"
#include "platform/uForceDeleteShell.h"
#include "storage/StorageError.h"

#include <cerrno>

namespace {
const QString kFolderSeparatorLine = QStringLiteral("-----------------------------------------------");
const QString kRunSeparatorLine = QStringLiteral("-------------------------------------------------");
} // namespace

void TJob_FilesAndFolders::RestoreInThread(const QString& OutputPath, const QString& myZIPPassword,
                                           qint32 ListInd)
{
    // The password of ZIP restore points is asked for but never needed: backups are plain copies.
    Q_UNUSED(myZIPPassword);
    TRestoreRun run(*this, OutputPath, ListInd, TLocalFileSystem::instance());
    run.Run();
}

QString TRestoreRun::outputPathOf(const QString& relative) const
{
    return JoinPath(output.path(), relative);
}

void TRestoreRun::Run()
{
    lifecycle.Start();
    const QString starting =
        FillPlaceholders(T("Starting the \"%s\" restore to directory:"), {job.stJobName}) + ' ' +
        output.path();
    LogLine(job, starting);
    AddEvent(starting);
    job.AddEventtoBackupHistory(T("Starting the restore to directory:") + ' ' + output.path(), false);
    LogPlain(job, kRunSeparatorLine);
    // A cancel that came in while the worker started is kept.
    TJobStatus expected = jsNone;
    job.JobStatus.compare_exchange_strong(expected, jsRunning);
    job.JobOperation = joRestore;
    lifecycle.EnsureLogFolder();
    QString connectionError;
    backupRoot = lifecycle.Connect(connectionError);
    if (!connectionError.isEmpty())
        AddEvent(connectionError);
    if (backupRoot.isEmpty()) {
        job.JobStatus = jsCancelling;
    } else {
        try {
            runConnected();
        } catch (const std::exception& error) {
            // Nothing in a run is meant to throw; if something does, the run ends as cancelled.
            AddEvent(job.stJobName + ": " + QString::fromLocal8Bit(error.what()));
            job.JobStatus = jsCancelling;
        }
    }
    closeRun();
}

void TRestoreRun::runConnected()
{
    if (!output.exists()) {
        LogError(job, T("The directory does not exist:") + ' ' + output.path());
        job.JobStatus = jsCancelling;
        return;
    }
    try {
        job.LoadRemoteJobFile(JobTempRemoteJobFile(job), false, bookkeeping);
    } catch (const TJobFileError&) {
        LogError(job, T("The job file on the storage cannot be read:") + ' ' + backupRoot +
                          QStringLiteral(".kxj"));
        job.JobStatus = jsCancelling;
        return;
    }
    if (!bookkeeping.MainBackupList.isEmpty())
        bookkeeping.MainBackupList.removeFirst();
    if (job.Settings.Backup.BackupType == btSync) {
        if (!RestoreBackupFolder(backupRoot))
            job.JobStatus = jsCancelling;
    } else {
        restoreChain();
    }
    bookkeeping = TRemoteBookkeeping();
}

void TRestoreRun::restoreChain()
{
    const QStringList& points = bookkeeping.MainBackupList;
    if (listIndex < 0 || listIndex >= points.size()) {
        LogError(job, T("The restore point does not exist."));
        job.JobStatus = jsCancelling;
        return;
    }
    for (const QString& subfolder : RestoreChain(points, listIndex)) {
        if (!IsSafeRestorePointName(subfolder)) {
            LogError(job,
                     T("The restore point is not a folder of the backup:") + ' ' + PrintableEntry(subfolder));
            job.JobStatus = jsCancelling;
        } else if (!RestoreBackupFolder(JoinPath(backupRoot, subfolder))) {
            job.JobStatus = jsCancelling;
        }
        // A later point builds on this one: once it failed, the rest of the chain is left out.
        if (isCancelling())
            break;
    }
}

bool TRestoreRun::RestoreBackupFolder(const QString& folder)
{
    bool ok = true;
    try {
        job.WaitWhilePaused();
        TPointCatalogs lists;
        MakePathForAskingUser(JobTempFolder(job));
        LogLine(job, T("Restoring the directory:") + ' ' + folder);
        if (job.Settings.Backup.BackupType != btSync) {
            if (!FetchPointCatalogs(job, folder, lists))
                job.JobStatus = jsCancelling;
        } else {
            lists.Files = bookkeeping.PreviousLocalFilesList;
            lists.Folders = bookkeeping.PreviousLocalDirsList;
        }
        keepChosen(lists);
        // What the point recorded as gone goes first, so that a path that changed between a file and a
        // folder is free again when the point's own folders and files arrive.
        if (!isCancelling())
            removeFiles(lists.RemovedFiles);
        if (!isCancelling())
            removeFolders(lists.RemovedFolders);
        if (!isCancelling())
            createFolders(lists.Folders);
        if (!isCancelling())
            copyFiles(folder, lists.Files);
    } catch (const std::exception& error) {
        AddEvent(job.stJobName + ": " + QString::fromLocal8Bit(error.what()));
        ok = false;
    }
    LogPlain(job, kFolderSeparatorLine);
    return ok;
}

void TRestoreRun::keepChosen(TPointCatalogs& lists) const
{
    if (selection.isEverything())
        return;
    const auto keep = [](QStringList& list, const auto& wanted) {
        list.removeIf([&](const QString& entry) {
            const QString clean = CleanCatalogEntry(entry);
            return clean.isNull() || !wanted(clean);
        });
    };
    const auto covered = [this](const QString& clean) { return selection.covers(clean); };
    keep(lists.Files, covered);
    keep(lists.RemovedFiles, covered);
    keep(lists.RemovedFolders, covered);
    // The folders above a chosen item are made too, so that it has a place to land.
    keep(lists.Folders,
         [this](const QString& clean) { return selection.covers(clean) || selection.leadsTo(clean); });
}

std::optional<QString> TRestoreRun::checkedEntry(const QString& entry, bool mayBeTheFolderItself)
{
    std::optional<QString> relative = output.relativePathOf(entry, mayBeTheFolderItself);
    if (!relative)
        LogError(job, T("The path leads outside the output directory and is skipped:") + ' ' +
                          PrintableEntry(entry));
    return relative;
}

void TRestoreRun::forEachEntry(const QStringList& entries, bool mayBeTheFolderItself,
                               const std::function<void(const QString& relative)>& step)
{
    for (const QString& entry : entries) {
        job.WaitWhilePaused();
        if (isCancelling())
            return;
        if (const std::optional<QString> relative = checkedEntry(entry, mayBeTheFolderItself))
            step(*relative);
    }
}

void TRestoreRun::removeFiles(const QStringList& entries)
{
    forEachEntry(entries, false, [&](const QString& relative) {
        const QString path = outputPathOf(relative);
        TFileStat st;
        int error = localFs.stat(path, st, false);
        if (error == 0 && !st.isSymlink && st.readOnly()) {
            LogLine(job, T("Removing the read-only attribute:") + ' ' + path);
            localFs.makeWritable(path);
        }
        if (error == 0) {
            LogLine(job, T("Removing the file:") + ' ' + path);
            error = st.isFolder && !st.isSymlink ? EISDIR : localFs.removeFile(path);
        }
        if (error != 0) {
            LogError(job, WithoutLineBreaks(SystemErrorText(error, &job)) + ' ' + path);
            job.JobStatus = jsCancelling;
        }
    });
}

void TRestoreRun::removeFolders(const QStringList& entries)
{
    forEachEntry(entries, false, [&](const QString& relative) {
        const QString path = outputPathOf(relative);
        LogLine(job, T("Removing the directory:") + ' ' + path);
        localFs.removeFolder(path);
        TFileStat st;
        if (localFs.stat(path, st, false) == ENOENT)
            return;
        // Whatever is still in it was not put there by the backup: restoring into a folder that holds
        // other files leaves those alone.
        QList<TDirEntry> inside;
        if (!st.isFolder || st.isSymlink || localFs.list(path, inside) != 0 || !inside.isEmpty()) {
            LogWarning(job, T("The directory is not empty and is left in place:") + ' ' + path);
            return;
        }
        if (!ShellDeleteItem(localFs, path)) {
            LogError(job, T("Unable to remove the directory.") + ' ' + path);
            job.JobStatus = jsCancelling;
        }
    });
}

void TRestoreRun::createFolders(const QStringList& entries)
{
    forEachEntry(entries, true, [&](const QString& relative) {
        const QString path = outputPathOf(relative);
        TFileStat st;
        if (localFs.stat(path, st, false) == 0)
            return;
        LogLine(job, T("Creating the directory:") + ' ' + path);
        const int error = localFs.makePath(path);
        if (error != 0) {
            LogError(job, WithoutLineBreaks(SystemErrorText(error, &job)));
            job.JobStatus = jsCancelling;
        }
    });
}

void TRestoreRun::copyFiles(const QString& folder, const QStringList& entries)
{
    const qint32 retries = job.JobOptions.Processing.IfDestinationNotAvailable_Retry_Times;
    // Each restored file is checked against the checksum its backup recorded, as it is copied; a
    // backup without them restores unchecked, as before.
    const TChecksumTable checksums = FetchChecksumTable(job, folder);
    job.ComputeCopyChecksums = !checksums.entries.isEmpty();
    forEachEntry(entries, false, [&](const QString& relative) {
        const QString output = outputPathOf(relative);
        if (job.FileOperation(atCopyFromRemoteToLocalFile, output, JoinPath(folder, relative), retries,
                              true) != orSuccess) {
            job.JobStatus = jsCancelling;
            return;
        }
        const TChecksumEntry* recorded = checksums.find(relative);
        if (recorded && job.LastCopyChecksum &&
            (job.LastCopyChecksum->size != recorded->size ||
             job.LastCopyChecksum->digest != recorded->digest))
            LogError(job, T("The restored file differs from its backup (damaged copy on the storage):") +
                              ' ' + output);
    });
    job.ComputeCopyChecksums = false;
}

void TRestoreRun::closeRun()
{
    job.CurrentFileOperationProgress = 0;
    job.CurrentFileOperationPath.clear();
    job.CurrentFileOperationType = atNone;
    if (isCancelling()) {
        lifecycle.Cancelled();
    } else {
        const char* message = "Restore job \"%s\" is finished.";
        const char* history = "Restore job is finished.";
        if (job.LastJobResult.ErrorsCount >= 1) {
            message = "Restore job \"%s\" is finished with errors.";
            history = "Restore job is finished with errors.";
        } else if (job.LastJobResult.WarningsCount >= 1) {
            message = "Restore job \"%s\" is finished with warnings.";
            history = "Restore job is finished with warnings.";
        }
        const QString text = FillPlaceholders(T(message), {job.stJobName});
        LogLine(job, text);
        AddEvent(text);
        job.AddEventtoBackupHistory(T(history), false);
    }
    // Temporary files and the connection go even when the connection failed.
    lifecycle.CloseConnected();
    lifecycle.Finish(beforeIdle);
}
