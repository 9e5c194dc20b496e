#include "engine/FilesBackupRun.h"

#include "base/ByteSize.h"
#include "base/Placeholders.h"
#include "engine/CatalogFile.h"
#include "engine/ChecksumFile.h"
#include "engine/LeftoverCopies.h"
#include "engine/MirrorChecksums.h"
#include "engine/PointVerification.h"
#include "engine/RestoreOutputFolder.h"
#include "engine/RestorePoints.h"
#include "engine/SourceWalker.h"
#include "engine/StorageProbe.h"
#include "engine/VerificationRun.h"
#include "events/EventsLog.h"
#include "jobs/JobPaths.h"
#include "logs/RunLog.h"
#include "storage/StorageError.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {
const QString kStartFlagName = QStringLiteral("_startflag.obl");
const QString kFullMarker = QStringLiteral("Full)");
const QString kIncrementalMarker = QStringLiteral("Incremental)");
const QString kMirrorMarker = QStringLiteral("Syncronization)");

// The restore point names a full copy: its first "Full)" is at its very end.
bool isFullEntry(const QString& entry)
{
    const qsizetype at = entry.indexOf(kFullMarker);
    return at >= 0 && at == entry.size() - kFullMarker.size();
}

TBackupType storedBackupType(const QString& marker)
{
    if (marker == kFullMarker)
        return btFull;
    if (marker == kIncrementalMarker)
        return btInc;
    return btSync;
}

QString markerOf(TBackupType type)
{
    switch (type) {
    case btFull:
        return kFullMarker;
    case btInc:
        return kIncrementalMarker;
    case btSync:
        break;
    }
    return kMirrorMarker;
}
} // namespace

QString TFilesBackupRun::startFlagPath() const
{
    return JoinPath(backupRoot, kStartFlagName);
}

void TFilesBackupRun::Run()
{
    QString errorText;
    backupRoot = lifecycle.Open(errorText);
    if (backupRoot.isEmpty()) {
        lifecycle.ConnectionFailed(errorText);
        lifecycle.Finish(beforeIdle);
        return;
    }
    runConnected();
}

void TFilesBackupRun::runConnected()
{
    lifecycle.PrepareConnected();
    job.ComputeCopyChecksums = true;
    try {
        if (!isCancelling())
            fetchRemoteJobFile();
        if (!isCancelling())
            prepareTarget();
        if (!isCancelling())
            walkAndStore();
    } catch (const std::exception& error) {
        // Nothing in a run is meant to throw; if something does, the run ends as cancelled.
        AddEvent(job.stJobName + ": " + QString::fromLocal8Bit(error.what()));
        job.JobStatus = jsCancelling;
    }
    job.ComputeCopyChecksums = false;
    // The copies a cancelled mirror run put in place replaced stored files: their entries follow, so
    // that the mirror's checksums never describe copies that are gone.
    if (isCancelling() && job.Settings.Backup.BackupType == btSync && !state.CopiedFilesList.empty())
        storeMirrorChecksums(false);
    closeConnectedRun();
}

void TFilesBackupRun::logDatabaseHeader(const char* text)
{
    if (job.JobOptions.Logging.DontLogCopyingInternalFiles)
        return;
    LogSeparatorLine(job);
    LogLine(job, T(text));
}

void TFilesBackupRun::fetchRemoteJobFile()
{
    logDatabaseHeader("Copying database files.");
    remoteJobFileLoaded = job.FileOperation(atCopyFromRemoteToLocalFile, JobTempRemoteJobFile(job),
                                            remoteJobFilePath(), 0, false) == orSuccess;
}

bool TFilesBackupRun::readPreviousState()
{
    TRunBookkeeping stored;
    try {
        ReadRunBookkeeping(JobTempRemoteJobFile(job), stored);
    } catch (const TJobFileError&) {
        // The backups stay where they are; this run starts over as on a first run.
        LogError(job, T("The job file on the storage cannot be read:") + ' ' + remoteJobFilePath());
        remoteJobFileLoaded = false;
        return false;
    }
    state.setPrevious(std::move(stored.Files), std::move(stored.Stamps), std::move(stored.Dirs));
    bookkeeping = std::move(stored);
    return true;
}

void TFilesBackupRun::prepareTarget()
{
    removalNeeded = false;
    bool typeChanged = false;
    cancelledSubfolder.clear();
    const TBackupType type = job.Settings.Backup.BackupType;
    if (remoteJobFileLoaded && QFileInfo::exists(JobTempRemoteJobFile(job)) && readPreviousState() &&
        !bookkeeping.MainBackupList.isEmpty() &&
        storedBackupType(bookkeeping.MainBackupList.first()) != type) {
        LogWarning(job, T("Backup type has been changed in the settings.") + ' ' +
                            T("Going to remove existing backup before to run this job."));
        typeChanged = true;
    }
    handleUnfinishedRun(typeChanged);
    startFlagList.clear();
    if (typeChanged) {
        // The whole backup goes, whatever an unfinished run left in it.
        cancelledSubfolder.clear();
        removalNeeded = true;
    }
    if (removalNeeded)
        removeExistingBackup();
    if (isCancelling())
        return;

    int incrementsSinceFull = -1;
    const QStringList& list = bookkeeping.MainBackupList;
    for (qsizetype i = list.size() - 1; i >= 1; --i) {
        if (isFullEntry(list.at(i))) {
            incrementsSinceFull = int(list.size() - 1 - i);
            break;
        }
    }
    chooseRunKind(incrementsSinceFull);
    state.TargetFolder = JoinPath(backupRoot, subfolderName);
    state.BackupRoot = backupRoot;
    if (bookkeeping.MainBackupList.isEmpty())
        bookkeeping.MainBackupList.append(markerOf(type));
    if (type != btSync) {
        bookkeeping.MainBackupList.append(subfolderName);
        startFlagList.append(subfolderName);
    }
    if (state.RunKind == btFull)
        state.clearPrevious();
    applyRetention();
    createTargetAndStartFlag();
}

void TFilesBackupRun::handleUnfinishedRun(bool typeChanged)
{
    const QString localFlag = JoinPath(JobTempFolder(job), kStartFlagName);
    if (job.FileOperation(atCopyFromRemoteToLocalFile, localFlag, startFlagPath(), 0, false) != orSuccess)
        return;
    LogWarning(job, T("The previous backup has been cancelled and the backup files may be corrupted."));
    previousRunCancelled = true;
    QStringList lines;
    bool flagNamesASubfolder = true;
    if (ReadCatalogFile(localFlag, lines)) {
        if (const std::optional<QString> named = StartFlagSubfolder(lines)) {
            cancelledSubfolder = *named;
        } else {
            // The flag comes from the storage: a name that is not one subfolder of the backup leaves
            // everything where it is.
            LogWarning(job, T("The start flag names no folder of the backup:") + ' ' +
                                PrintableEntry(lines.first()));
            flagNamesASubfolder = false;
        }
    }
    if (job.Settings.Backup.BackupType == btSync) {
        // A mirror stays: every replaced file was swapped in whole, and this run copies again what the
        // unfinished one left out. Removing it would leave no backup at all until this run ends.
        // Only the copies the unfinished run was still writing go.
        if (!typeChanged)
            RemoveLeftoverCopies(job, backupRoot, state.PreviousLocalFilesList, retries());
        return;
    }
    if (!flagNamesASubfolder)
        return;
    if (job.JobOptions.Processing.RemovePreviousBackupIfCancelled) {
        LogPlain(job, T("We have to remove the previous backup."));
        removalNeeded = true;
    } else if (!typeChanged && !cancelledSubfolder.isEmpty()) {
        // An empty flag comes from a mirror run: there is no subfolder to rename.
        const QString folder = JoinPath(backupRoot, cancelledSubfolder);
        job.FileOperation(atRenameRemoteFolder, folder + QStringLiteral(" CANCELED"), folder, 0, true);
        LogPlain(job, QString());
    }
}

void TFilesBackupRun::removeExistingBackup()
{
    if (job.FileOperation(atRemoveRemoteNotEmptyFolder, QString(), JoinPath(backupRoot, cancelledSubfolder),
                          0, true) != orSuccess)
        job.JobStatus = jsCancelling;
    if (!isCancelling() && cancelledSubfolder.isEmpty()) {
        // Without a remote job file on the storage (a first run that never finished) there is none to remove.
        if (remoteJobFileLoaded &&
            job.FileOperation(atRemoveRemoteFile, QString(), remoteJobFilePath(), 0, true) != orSuccess) {
            job.JobStatus = jsCancelling;
        } else {
            remoteJobFileLoaded = false;
            bookkeeping = TRunBookkeeping();
            state.clearPrevious();
        }
    }
    LogPlain(job, QString());
}

QString TFilesBackupRun::uniqueSubfolderName(const QString& kind) const
{
    // Two runs that start within the same second would otherwise share one subfolder and one restore point.
    QDateTime when = lifecycle.startTime();
    for (int tries = 0; tries < 600; ++tries, when = when.addSecs(1)) {
        const QString name = FormatRunStamp(when) + QStringLiteral(" (") + kind;
        if (!bookkeeping.MainBackupList.contains(name))
            return name;
    }
    return FormatRunStamp(when) + QStringLiteral(" (") + kind;
}

void TFilesBackupRun::chooseRunKind(int incrementsSinceFull)
{
    const TBackupType type = job.Settings.Backup.BackupType;
    bool full = type == btFull;
    if (type == btInc) {
        const qint32 every = job.Settings.Backup.PerformFullBackup_EveryCopies;
        full = incrementsSinceFull == -1 || incrementsSinceFull >= every;
        if (incrementsSinceFull != -1 && incrementsSinceFull >= every)
            LogLine(job, FillPlaceholders(
                             T("The number of incremental copies (%s) has reached the specified value "
                               "(%s). We need to perform a full backup."),
                             {QString::number(incrementsSinceFull), QString::number(every)}));
    }
    if (type == btSync) {
        state.RunKind = btSync;
        subfolderName.clear();
    } else if (full) {
        state.RunKind = btFull;
        subfolderName = uniqueSubfolderName(kFullMarker);
        LogLine(job, T("Target: full copy of the source. Subdirectory:") + ' ' + subfolderName);
        job.AddEventtoBackupHistory(T("Target: full copy of the source."), true);
    } else {
        state.RunKind = btInc;
        subfolderName = uniqueSubfolderName(kIncrementalMarker);
        LogLine(job, T("Target: incremental copy of the source. Subdirectory:") + ' ' + subfolderName);
        job.AddEventtoBackupHistory(T("Target: incremental copy of the source."), true);
    }
}

void TFilesBackupRun::applyRetention()
{
    const qint32 keep = job.Settings.Backup.NumberFullCopiesToKeep;
    if (job.Settings.Backup.BackupType == btSync || keep <= 0)
        return;
    QStringList& list = bookkeeping.MainBackupList;
    int fulls = 0;
    for (qsizetype i = list.size() - 1; i >= 1; --i) {
        if (fulls == keep)
            oldBackupsList.append(list.takeAt(i));
        else if (isFullEntry(list.at(i)))
            ++fulls;
    }
    if (job.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup)
        removeOldBackups(true);
}

void TFilesBackupRun::createTargetAndStartFlag()
{
    if (!remoteJobFileLoaded)
        job.FileOperation(atCreateRemoteFolder, QString(), backupRoot, 0, false);
    if (state.TargetFolder != backupRoot &&
        job.FileOperation(atCreateRemoteFolder, QString(), state.TargetFolder, 0, true) ==
            orERROR_RemoteAccess) {
        state.TargetFolder.clear();
        job.JobStatus = jsCancelling;
    }
    if (isCancelling())
        return;
    state.StorageIgnoresCase = StorageFolderIgnoresCase(job, state.TargetFolder);
    // From here on every write to the storage is watched: the run records its copies only once they
    // are all on the disk (storeDatabase).
    storageWrites = WatchStorageWrites(job, backupRoot);
    const QString localFlag = JoinPath(JobTempFolder(job), kStartFlagName);
    WriteCatalogFile(localFlag, startFlagList);
    if (job.FileOperation(atCopyFromLocalToRemoteFile, localFlag, startFlagPath(), retries(), true) !=
        orSuccess)
        job.JobStatus = jsCancelling;
}

void TFilesBackupRun::walkAndStore()
{
    // The restore point list is final here: the files list starts as the remote job file's image.
    state.LocalFilesList.reset(RunBookkeepingPrefix(job, bookkeeping.MainBackupList));
    TSourceWalker walker(job, state);
    walker.BackupSources();
    if (!isCancelling())
        walker.ProcessRemovedItems();
    if (isCancelling())
        return;
    if (state.UnreadableItems)
        keepOldBackups();
    const qint64 size = job.CurrentBackupSize;
    if (state.RunKind == btInc) {
        bookkeeping.SizeOfAllIncrementsOrLastDifferentialCopy += size;
    } else {
        bookkeeping.SizeOfAllIncrementsOrLastDifferentialCopy = 0;
        bookkeeping.SizeOfLastFullBackup = size;
    }
    if (job.JobOptions.Processing.VerifyCopiesAfterBackup)
        keepRunCopies();
    storeDatabase();
    if (!isCancelling() && !runCopies.entries.isEmpty())
        VerifyCopiesAfterRun(job, state.TargetFolder, runCopies);
    runCopies = TChecksumTable();
}

void TFilesBackupRun::keepRunCopies()
{
    for (size_t i = 0; i < state.CopiedFilesList.size() && i < state.CopiedChecksums.size(); ++i) {
        const TJob::TCopyChecksum& copy = state.CopiedChecksums[i];
        if (copy.size >= 0)
            runCopies.entries.insert(state.LocalFilesList.at(state.CopiedFilesList[i]).toString(),
                                     {copy.size, copy.digest});
    }
}

void TFilesBackupRun::storeDatabase()
{
    // The copies reach the storage's disk before the catalogs and the job file record them: after a
    // power loss these must never list copies that are still empty. A volume that failed to write any
    // of them during the run ends it unrecorded, so the next run treats it as unfinished.
    const int flushError = storageWrites ? storageWrites->flush() : 0;
    storageWrites.reset();
    if (flushError != 0) {
        LogError(job, WithoutLineBreaks(SystemErrorText(flushError, &job)));
        job.JobStatus = jsCancelling;
        return;
    }
    // Each list is freed as soon as it is written, so that the remote job file's image, made last,
    // never sits beside lists that are done with.
    state.clearPrevious();
    const QString temp = JobTempFolder(job);
    const auto catalog = [&temp](const char* name) { return JoinPath(temp, QLatin1String(name)); };
    QByteArray copied = EncodeCatalog({});
    for (const qint32 index : state.CopiedFilesList)
        AppendCatalogEntry(copied, state.LocalFilesList.at(index));
    WriteCatalogContent(catalog("_rf.obl"), copied);
    copied = QByteArray();
    if (job.Settings.Backup.BackupType == btSync) {
        if (!storeMirrorChecksums(true))
            job.JobStatus = jsCancelling;
    } else {
        TChecksumFileWriter checksums(JoinPath(temp, kChecksumFileName));
        for (size_t i = 0; i < state.CopiedFilesList.size() && i < state.CopiedChecksums.size(); ++i) {
            if (state.CopiedChecksums[i].size >= 0)
                checksums.append(state.LocalFilesList.at(state.CopiedFilesList[i]),
                                 state.CopiedChecksums[i].size, state.CopiedChecksums[i].digest);
        }
        checksums.commit();
    }
    state.CopiedFilesList = std::vector<qint32>();
    state.CopiedChecksums = std::vector<TJob::TCopyChecksum>();
    WriteCatalogFile(catalog("_rd.obl"), state.CreatedDirsList);
    WriteCatalogFile(catalog("_rrf.obl"), state.RemovedFilesList);
    WriteCatalogFile(catalog("_rrd.obl"), state.RemovedDirsList);
    state.RemovedDirsList.clear();
    state.CreatedDirsList.clear();
    state.RemovedFilesList.clear();
    state.TargetDirsList.clear();

    bookkeeping.Files.clear();
    bookkeeping.Stamps = std::move(state.LocalFilesTimeList);
    bookkeeping.Dirs = std::move(state.LocalDirsList);
    WriteRunBookkeeping(JobTempRemoteJobFile(job), job, bookkeeping, state.LocalFilesList);
    bookkeeping.Stamps = TStampList();
    bookkeeping.Dirs.clear();
    if (job.Settings.Backup.BackupType != btSync) {
        logDatabaseHeader("Copying the database files.");
        for (const char* name : {"_rrd.obl", "_rf.obl", "_rd.obl", "_rrf.obl"}) {
            if (job.FileOperation(atCopyFromLocalToRemoteFile, catalog(name),
                                  JoinPath(state.TargetFolder, QLatin1String(name)), retries(),
                                  true) != orSuccess) {
                job.JobStatus = jsCancelling;
                break;
            }
        }
        if (!isCancelling() &&
            job.FileOperation(atCopyFromLocalToRemoteFile, JoinPath(temp, kChecksumFileName),
                              JoinPath(state.TargetFolder, kChecksumFileName), retries(), true) != orSuccess)
            job.JobStatus = jsCancelling;
    }
    if (!isCancelling() && job.FileOperation(atCopyFromLocalToRemoteFile, JobTempRemoteJobFile(job),
                                             remoteJobFilePath(), retries(), true) != orSuccess)
        job.JobStatus = jsCancelling;
    if (!isCancelling())
        job.FileOperation(atRemoveRemoteFile, QString(), startFlagPath(), 0, false);
    if (!isCancelling() && !job.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup)
        removeOldBackups(false);
}

bool TFilesBackupRun::storeMirrorChecksums(bool complete)
{
    // A mirror keeps one checksums file, in its folder, updated by each run and replaced whole.
    const QString temp = JobTempFolder(job);
    const QString earlier = JoinPath(temp, QStringLiteral("_checksums_earlier.obl"));
    const QString local = JoinPath(temp, kChecksumFileName);
    FetchChecksumFile(job, backupRoot, earlier);
    const bool written = WriteMirrorChecksums(earlier, local, state, complete);
    QFile::remove(earlier);
    return written &&
           job.FileOperation(atCopyFromLocalToRemoteFile, local, JoinPath(backupRoot, kChecksumFileName),
                             retries(), true) == orSuccess;
}

void TFilesBackupRun::keepOldBackups()
{
    if (oldBackupsList.isEmpty())
        return;
    // This run's copy lacks what it could not read; older backups may hold the only copies of it.
    // They stay restore points until a run that reads everything lets the retention remove them.
    LogLine(job, T("The old backups are kept because some source items could not be read."));
    for (const QString& entry : std::as_const(oldBackupsList))
        bookkeeping.MainBackupList.insert(1, entry); // newest first: the oldest ends up first again
    oldBackupsList.clear();
}

void TFilesBackupRun::removeOldBackups(bool beforeVariant)
{
    if (oldBackupsList.isEmpty())
        return;
    LogSeparatorLine(job);
    LogLine(job, T("Removing the old backups."));
    for (const QString& entry : std::as_const(oldBackupsList)) {
        // The entries come from the storage's job file: only a subfolder of the backup is removed.
        if (!IsSafeRestorePointName(entry)) {
            LogError(job,
                     T("The restore point is not a folder of the backup:") + ' ' + PrintableEntry(entry));
            continue;
        }
        const QString folder = JoinPath(backupRoot, entry);
        if (job.FileOperation(atRemoveRemoteNotEmptyFolder, QString(), folder, retries(), false) == orSuccess)
            continue;
        if (!(beforeVariant && previousRunCancelled))
            LogError(job, T("Unable to remove the directory. Please remove it manually: ") + ' ' + folder);
    }
    oldBackupsList.clear();
}

void TFilesBackupRun::closeConnectedRun()
{
    storageWrites.reset(); // a cancelled run's watch must not keep the volume busy
    job.CurrentFileOperationProgress = 0;
    job.CurrentFileOperationPath.clear();
    LogSeparatorLine(job);
    if (isCancelling()) {
        lifecycle.Cancelled();
    } else {
        const qint64 processed = job.CurrentBackupFilesProcessed;
        const QString sizeText =
            processed > 0 ? ' ' + T("Total size of the files:") + ' ' + FormatByteSize(job.CurrentBackupSize)
                          : QString();
        const char* message = "Backup job \"%s\" is finished. Files copied: %s.";
        const char* history = "Backup job is finished.";
        if (job.LastJobResult.ErrorsCount >= 1) {
            message = "Backup job \"%s\" is finished with errors. Files copied: %s.";
            history = "Backup job is finished with errors.";
        } else if (job.LastJobResult.WarningsCount >= 1) {
            message = "Backup job \"%s\" is finished with warnings. Files copied: %s.";
            history = "Backup job is finished with warnings.";
        }
        const QString text =
            FillPlaceholders(T(message) + sizeText, {job.stJobName, QString::number(processed)});
        LogLine(job, text);
        AddEvent(text);
        job.AddEventtoBackupHistory(T(history), false);
    }
    lifecycle.CloseConnected();
    state = TBackupRunState();
    bookkeeping = TRunBookkeeping();
    lifecycle.Finish(beforeIdle);
}
