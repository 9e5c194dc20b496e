#include "engine/SourceWalker.h"

#include "base/Placeholders.h"
#include "engine/StorageProbe.h"
#include "jobs/JobPaths.h"
#include "logs/RunLog.h"
#include "operations/RunLifecycle.h"
#include "platform/CopyFile.h"
#include "platform/DirectoryListing.h"
#include "platform/SmbPath.h"
#include "storage/StorageError.h"

#include <QDir>

namespace {
const QString kAnyPath = QStringLiteral("%anypath%/");
// The copies handed to the workers at most at once, and the files waiting to be recorded.
constexpr qsizetype kMaxCopiesQueued = 64;
constexpr size_t kMaxPendingFiles = 4096;

// Names that are never backed up from a folder source (compared in lower case).
bool isFixedSkipName(const QString& lowerName)
{
    static const QSet<QString> names{"dumpstack.log.tmp", "pagefile.sys",    "swapfile.sys",   "ntuser.dat",
                                     "hiberfil.sys",      "ntuser.dat.log1", "ntuser.dat.log2"};
    return names.contains(lowerName);
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QString lastComponent(const QString& folder)
{
    const qsizetype slash = folder.lastIndexOf('/');
    return slash < 0 ? folder : folder.mid(slash + 1);
}
} // namespace

TSourceWalker::TSourceWalker(TJob_FilesAndFolders& job, TBackupRunState& state) : job(job), state(state)
{
    for (QString entry : job.JobOptions.ExcludedDirs) {
        entry = entry.toLower().replace('\\', '/');
        if (entry.startsWith(kAnyPath))
            excludedAnyPath.insert(withoutTrailingSlash(entry.mid(kAnyPath.size())));
        else if (!entry.isEmpty())
            excludedDirs.insert(withoutTrailingSlash(entry));
    }
    if (!job.JobOptions.General.PathForTempFiles.isEmpty())
        tempFolderLower =
            withoutTrailingSlash(QDir::cleanPath(job.JobOptions.General.PathForTempFiles)).toLower();
    if (state.BackupRoot.startsWith('/') && !state.BackupRoot.startsWith(QLatin1String("//")))
        backupRootPath = withoutTrailingSlash(QDir::cleanPath(state.BackupRoot));
    extensionsPattern = ';' + job.Settings.Sources.Extensions.toLower() + ';';
}

TSourceWalker::~TSourceWalker() = default;

TSourceWalker::TStepResult TSourceWalker::retryRefused(const std::function<TStepResult()>& step)
{
    for (;;) {
        job.WaitWhilePaused();
        if (isCancelling())
            return srStop;
        const TStepResult result = step();
        if (result != srRefused)
            return result;
        if (!ApplyRefusalRule())
            return srStop;
    }
}

bool TSourceWalker::ApplyRefusalRule()
{
    if (job.JobOptions.Processing.IfDestinationNotAvailable_Then == 1) {
        TJobStatus status = job.JobStatus.load();
        while (status != jsCancelling) {
            job.CurrentFileOperationType = atNone_WaitingForReconnection;
            // A cancel that arrives meanwhile wins over the pause.
            if (job.JobStatus.compare_exchange_weak(status, jsPaused)) {
                job.WaitWhilePaused();
                return !isCancelling();
            }
        }
    }
    if (!isCancelling()) {
        LogPlain(job, QString());
        const QString crlf = QStringLiteral("\r\n");
        LogWarning(
            job, job.Translate("The job will be cancelled because destination is not accepting the file.") +
                     crlf +
                     job.Translate("Possible reasons: device is disconnected; device is corrupted; network "
                                   "issues; transfer is blocked by antivirus.") +
                     crlf +
                     job.Translate("If you do not want to cancel the job next time, please open the General "
                                   "Options, the tab \"Backup\".") +
                     crlf + job.Translate("Select the option \"Pause the job and wait for your action\"."));
    }
    job.JobStatus = jsCancelling;
    return false;
}

bool TSourceWalker::removeStored(TFileOperationType removal, const QString& rel)
{
    return retryRefused([&] {
               return doneIf(job.FileOperation(removal, QString(), JoinPath(state.TargetFolder, rel),
                                               retries(), true) == orSuccess);
           }) == srDone;
}

void TSourceWalker::BackupSources()
{
    // Small files are copied by workers while the walk goes on, on a local storage only: a share's
    // session serves one thread.
    const int workers = TCopyPool::workersForRun();
    if (workers > 1 && !IsSmbPath(state.TargetFolder))
        pool = std::make_unique<TCopyPool>(job, workers);
    walkSources();
    drain();
    pool.reset();
}

void TSourceWalker::walkSources()
{
    const QStringList sources = job.Settings.Sources.List;
    for (const QString& entry : sources) {
        drain();
        if (isCancelling())
            return;
        if (entry.endsWith('*')) {
            QString folder = entry;
            folder.chop(entry.endsWith(QLatin1String("/*")) ? 2 : 1);
            folder = folder.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(folder);
            const QString name = folder == QLatin1String("/") ? QString() : lastComponent(folder);
            LogSeparatorLine(job);
            if (!SourceFolderExists(folder)) {
                LogWarning(job, job.Translate("The source does not exist:") + ' ' + folder);
                state.UnknownFolders.insert(name);
                continue;
            }
            if (!name.isEmpty() && IsCaseTwin(topLevelNames, folder, name))
                continue;
            LogLine(job, job.Translate("Starting the directory backup:") + ' ' + folder);
            const qsizetype previous = state.PreviousLocalDirsList.indexOf(name);
            bool ok = true;
            if (previous < 0) {
                ok = CreateTargetSubfolders(name);
                if (ok)
                    state.CreatedDirsList.append(name);
            }
            if (!ok) {
                // The failed creation has logged its error; what is stored under it stays as it was.
                state.UnknownFolders.insert(name);
                continue;
            }
            state.LocalDirsList.append(previous >= 0 ? state.PreviousLocalDirsList.at(previous) : name);
            if (previous >= 0)
                state.PreviousDirSeen[size_t(previous)] = true;
            BackupDirectory(folder, name);
        } else {
            LogSeparatorLine(job);
            if (!SourceFileExists(entry)) {
                LogWarning(job, job.Translate("The source does not exist:") + ' ' + entry);
                state.UnknownFiles.insert(lastComponent(entry));
                continue;
            }
            if (IsCaseTwin(topLevelNames, entry, lastComponent(entry)))
                continue;
            LogLine(job, job.Translate("Starting the file backup:") + ' ' + entry);
            BackupSingleFile(entry, lastComponent(entry));
        }
    }
}

bool TSourceWalker::isExcludedFolder(const QString& path, const QString& name) const
{
    const QString lowerPath = path.toLower();
    if (excludedDirs.contains(lowerPath) || excludedAnyPath.contains(name.toLower()))
        return true;
    if (!tempFolderLower.isEmpty() && lowerPath == tempFolderLower)
        return true;
    return !backupRootPath.isEmpty() && path == backupRootPath;
}

bool TSourceWalker::passesExtensionFilter(const QString& name) const
{
    const TFilterType filter = job.Settings.Sources.FilterType;
    if (filter == ftNoFilters)
        return true;
    const qsizetype dot = name.lastIndexOf('.');
    const QString ext = dot < 0 ? QString() : name.mid(dot + 1).toLower();
    const bool listed = extensionsPattern.contains(';' + ext + ';');
    return filter == ftIncludeOnly ? listed : !listed;
}

void TSourceWalker::BackupDirectory(const QString& sourceDirIn, const QString& relativeDirIn)
{
    job.WaitWhilePaused();
    if (isCancelling())
        return;
    const QString sourceDir = sourceDirIn.endsWith('/') ? sourceDirIn : sourceDirIn + '/';
    const QString relativeDir =
        relativeDirIn.isEmpty() || relativeDirIn.endsWith('/') ? relativeDirIn : relativeDirIn + '/';
    TDirectoryListing listing;
    if (!listing.open(sourceDir)) {
        WarnUnreadable(sourceDirIn, listing.error());
        state.UnknownFolders.insert(relativeDirIn);
        return;
    }
    const bool skipHidden = job.JobOptions.Processing.SkipHiddenSystemFiles;
    TFoldedNames folderNames;
    TFoldedNames& names = relativeDir.isEmpty() ? topLevelNames : folderNames;
    TDirectoryEntry entry;
    while (listing.next(entry)) {
        job.WaitWhilePaused();
        if (isCancelling())
            return;
        if (entry.kind == TDirectoryEntry::ekOther || entry.kind == TDirectoryEntry::ekLinkToFolder)
            continue; // never read sockets, FIFOs, devices; never enter a link to a folder
        if (skipHidden && entry.name.startsWith('.'))
            continue;
        if (entry.kind == TDirectoryEntry::ekUnreadable) {
            RecordUnreadableEntry(sourceDir, relativeDir, entry);
            continue;
        }
        const bool isFolder = entry.kind == TDirectoryEntry::ekFolder ||
                              (entry.kind == TDirectoryEntry::ekVanished && entry.wasListedAsFolder);
        if (isFolder) {
            if (!SourceFolderExists(sourceDir)) {
                drain();
                LogWarning(job, job.Translate("The directory does not exist:") + ' ' + sourceDir);
                state.UnknownFolders.insert(relativeDirIn);
                continue;
            }
            if (entry.kind == TDirectoryEntry::ekVanished)
                continue; // gone between the listing and now: the removal pass deals with it
            const QString path = sourceDir + entry.name;
            if (isExcludedFolder(path, entry.name) || IsCaseTwin(names, path, entry.name))
                continue;
            const QString rel = JoinedExactly(relativeDir, entry.name);
            const qsizetype previous =
                state.PreviousLocalDirsList.indexOfJoined(relativeDir, entry.name, nextPreviousDir);
            if (previous >= 0)
                nextPreviousDir = previous + 1;
            state.LocalDirsList.append(previous >= 0 ? state.PreviousLocalDirsList.at(previous) : rel);
            if (previous >= 0) {
                state.PreviousDirSeen[size_t(previous)] = true;
            } else {
                drain();
                if (isCancelling() || !ClearMirrorKindChange(rel, true))
                    return;
                const TStepResult created = retryRefused([&] {
                    return doneIf(state.RunKind == btInc
                                      ? CreateTargetSubfolders(rel)
                                      : job.FileOperation(atCreateRemoteFolder, QString(),
                                                          JoinPath(state.TargetFolder, rel), retries(),
                                                          true) == orSuccess);
                });
                if (created != srDone)
                    return;
                state.CreatedDirsList.append(rel);
            }
            BackupDirectory(path, rel);
            continue;
        }
        if (entry.kind == TDirectoryEntry::ekVanished) {
            drain();
            LogWarning(job, job.Translate("The file does not exist:") + ' ' + sourceDir + entry.name);
            continue;
        }
        if (!passesExtensionFilter(entry.name) || isFixedSkipName(entry.name.toLower()))
            continue;
        if (!backupRootPath.isEmpty() && entry.name.endsWith(QLatin1String(".kxj")) &&
            sourceDir + entry.name == backupRootPath + QLatin1String(".kxj"))
            continue; // the job's own remote job file, when the storage lies inside a source
        if (IsCaseTwin(names, sourceDir + entry.name, entry.name))
            continue;
        if (!BackupFile(sourceDir + entry.name, relativeDir, entry.name, entry.mtimeMsecs, entry.size, true))
            return;
    }
    if (listing.error() != 0) {
        // The listing broke off: what it did not reach is unknown.
        WarnUnreadable(sourceDirIn, listing.error());
        state.UnknownFolders.insert(relativeDirIn);
    }
}

void TSourceWalker::WarnUnreadable(const QString& path, int error)
{
    drain();
    state.UnreadableItems = true;
    LogWarning(job, job.Translate("Cannot be read, kept as in the previous backup:") + ' ' + path +
                        QStringLiteral(" (") + SystemErrorDescription(error) + ')');
}

void TSourceWalker::RecordUnreadableEntry(const QString& sourceDir, const QString& relativeDir,
                                          const TDirectoryEntry& entry)
{
    const QString path = sourceDir + entry.name;
    // What would be passed over if it could be looked at is passed over silently.
    if (entry.wasListedAsFolder ? isExcludedFolder(path, entry.name)
                                : !passesExtensionFilter(entry.name) || isFixedSkipName(entry.name.toLower()))
        return;
    WarnUnreadable(path, entry.error);
    // Whether it is a file or a folder may be unknown too: what the previous run recorded under this
    // name, as either, is carried over.
    const QString rel = JoinedExactly(relativeDir, entry.name);
    state.UnknownFiles.insert(rel);
    state.UnknownFolders.insert(rel);
}

void TSourceWalker::BackupSingleFile(const QString& sourceFile, const QString& name)
{
    job.WaitWhilePaused();
    if (isCancelling())
        return;
    TDirectoryEntry entry;
    if (!StatSourcePath(sourceFile, entry) || entry.kind != TDirectoryEntry::ekFile)
        return;
    BackupFile(sourceFile, QString(), name, entry.mtimeMsecs, entry.size, false);
}

bool TSourceWalker::BackupFile(const QString& sourcePath, const QString& relativeDir, const QString& name,
                               qint64 mtimeMsecs, qint64 size, bool createFolders)
{
    TPendingFile file;
    file.previous = state.PreviousLocalFilesList.indexOfJoined(relativeDir, name, nextPreviousFile);
    if (file.previous >= 0)
        nextPreviousFile = file.previous + 1;
    file.rel = file.previous >= 0 ? state.PreviousLocalFilesList.at(file.previous)
                                  : JoinedExactly(relativeDir, name);
    file.stamp = StampFromMsecsSinceEpoch(mtimeMsecs);
    file.sourcePath = sourcePath;
    file.relativeDir = relativeDir;
    file.createFolders = createFolders;
    const bool unchanged = file.previous >= 0 && state.previousStamp(file.previous) == file.stamp;
    if (pool && !unchanged && size < kCopyChunkSize && !needsWalkSteps(file)) {
        file.copy = std::make_shared<TBackupCopy>();
        file.copy->source = sourcePath;
        file.copy->target = JoinPath(state.TargetFolder, file.rel);
        // One try: a storage failure is tried again on this thread, in the walk's order.
        file.copy->retries = 0;
        file.copy->computeChecksum = job.ComputeCopyChecksums;
        job.CurrentFileOperationType = atCopyFromLocalToRemoteFileThroughTempFolder;
        job.CurrentFileOperationPath.set(sourcePath);
        pool->submit(file.copy);
        ++copiesQueued;
    } else if (!unchanged) {
        // A large file, or one whose storing needs the walk's own steps: copied here, in its turn.
        drain();
        if (isCancelling())
            return false;
    }
    if (!file.copy && pending.empty())
        return retire(file);
    pending.push_back(std::move(file));
    retireReady(copiesQueued >= kMaxCopiesQueued || pending.size() >= kMaxPendingFiles);
    return !isCancelling();
}

bool TSourceWalker::needsWalkSteps(const TPendingFile& file) const
{
    if (state.RunKind == btInc && file.createFolders && !file.relativeDir.isEmpty() &&
        !state.TargetDirsList.contains(file.relativeDir.endsWith('/') ? file.relativeDir.chopped(1)
                                                                      : file.relativeDir))
        return true;
    return file.previous < 0 && state.RunKind == btSync && state.PreviousLocalDirsList.contains(file.rel);
}

void TSourceWalker::retireReady(bool waitForHead)
{
    while (!pending.empty()) {
        TPendingFile& head = pending.front();
        if (head.copy && !pool->isDone(*head.copy)) {
            if (!waitForHead)
                return;
            pool->waitFor(*head.copy);
        }
        waitForHead = false;
        TPendingFile file = std::move(head);
        pending.pop_front();
        retire(file);
    }
}

void TSourceWalker::drain()
{
    while (!pending.empty())
        retireReady(true);
}

bool TSourceWalker::retire(TPendingFile& file)
{
    const qint32 recorded = qint32(state.LocalFilesList.size());
    state.LocalFilesList.append(file.rel);
    state.LocalFilesTimeList.push_back(file.stamp);
    TStepResult stored = srDone;
    if (file.copy) {
        --copiesQueued;
        if (file.copy->result == orERROR_RemoteAccess) {
            // The storage refused it, perhaps before an earlier refusal was dealt with: the copy is
            // made again here, with its retries, lines and the refusal rule of a copy in its turn.
            stored = retryRefused([&] { return copyStep(file, recorded); });
        } else {
            ApplyBackupCopy(job, *file.copy);
            stored = copyOutcome(file.copy->result, file.rel, recorded);
        }
    } else if (!(file.previous >= 0 && state.previousStamp(file.previous) == file.stamp)) {
        stored = retryRefused([&] { return copyStep(file, recorded); });
    }
    if (stored == srStop)
        return false;
    if (stored == srDone && file.previous >= 0)
        state.PreviousFileSeen[size_t(file.previous)] = true;
    return true;
}

TSourceWalker::TStepResult TSourceWalker::copyStep(const TPendingFile& file, qint32 recorded)
{
    if (state.RunKind == btInc && file.createFolders && !CreateTargetSubfolders(file.relativeDir))
        return srRefused;
    if (file.previous < 0 && !ClearMirrorKindChange(file.rel, false))
        return srStop;
    const TOperationResult result =
        job.FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, file.sourcePath,
                          JoinPath(state.TargetFolder, file.rel), retries(), true);
    return copyOutcome(result, file.rel, recorded);
}

TSourceWalker::TStepResult TSourceWalker::copyOutcome(TOperationResult result, const QString& rel,
                                                      qint32 recorded)
{
    if (result == orSuccess) {
        state.CopiedFilesList.push_back(recorded);
        state.CopiedChecksums.push_back(job.LastCopyChecksum.value_or(TJob::TCopyChecksum{-1, {}}));
        ++job.CurrentBackupFilesProcessed;
        return srDone;
    }
    if (result == orERROR_LocalAccess) {
        // Seen but unreadable: absent from this run's state, yet kept out of the removal pass.
        state.LocalFilesList.removeLast();
        state.LocalFilesTimeList.pop_back();
        state.UnknownFiles.insert(rel);
        return srPassedOver;
    }
    return srRefused;
}

bool TSourceWalker::IsCaseTwin(TFoldedNames& names, const QString& sourcePath, const QString& name)
{
    if (!state.StorageIgnoresCase)
        return false;
    const QString folded = name.toCaseFolded();
    const auto earlier = names.constFind(folded);
    if (earlier == names.cend()) {
        names.insert(folded, sourcePath);
        return false;
    }
    // The very same name (two sources with one last component) shares its stored item on purpose.
    if (lastComponent(*earlier) == name)
        return false;
    drain();
    LogWarning(job,
               FillPlaceholders(job.Translate("This storage cannot keep both %s and %s, whose names "
                                              "differ only in letter case: the second is not backed up."),
                                {*earlier, sourcePath}));
    return true;
}

bool TSourceWalker::ClearMirrorKindChange(const QString& rel, bool becomesFolder)
{
    if (state.RunKind != btSync)
        return true;
    const bool storedAsOtherKind = becomesFolder ? state.PreviousLocalFilesList.contains(rel)
                                                 : state.PreviousLocalDirsList.contains(rel);
    if (!storedAsOtherKind)
        return true;
    const TFileOperationType removal = becomesFolder ? atRemoveRemoteFile : atRemoveRemoteNotEmptyFolder;
    if (!removeStored(removal, rel))
        return false;
    // What was just removed is done with: the removal pass must not remove it again.
    if (becomesFolder) {
        state.PreviousFileSeen[size_t(state.PreviousLocalFilesList.indexOf(rel))] = true;
        return true;
    }
    state.PreviousDirSeen[size_t(state.PreviousLocalDirsList.indexOf(rel))] = true;
    const QString below = rel + '/';
    for (qsizetype i = 0; i < state.PreviousLocalFilesList.size(); ++i) {
        if (state.PreviousLocalFilesList.at(i).startsWith(below))
            state.PreviousFileSeen[size_t(i)] = true;
    }
    for (qsizetype i = 0; i < state.PreviousLocalDirsList.size(); ++i) {
        if (state.PreviousLocalDirsList.at(i).startsWith(below))
            state.PreviousDirSeen[size_t(i)] = true;
    }
    return true;
}

bool TSourceWalker::CreateTargetSubfolders(const QString& relativePath)
{
    if (relativePath.isEmpty())
        return true;
    const QString path = relativePath.endsWith('/') ? relativePath.chopped(1) : relativePath;
    for (qsizetype end = path.indexOf('/');; end = path.indexOf('/', end + 1)) {
        const QString prefix = end < 0 ? path : path.left(end);
        if (!state.TargetDirsList.contains(prefix)) {
            if (job.FileOperation(atCreateRemoteFolder, QString(), JoinPath(state.TargetFolder, prefix),
                                  retries(), true) != orSuccess)
                return false;
            state.TargetDirsList.insert(prefix);
        }
        if (end < 0)
            return true;
    }
}

bool TSourceWalker::isUnderUnknownFolder(const QString& path, bool includeSelf) const
{
    if (state.UnknownFolders.isEmpty())
        return false;
    // A drive root's relative folder is the empty name: everything lies below it.
    if (state.UnknownFolders.contains(QString()))
        return true;
    for (qsizetype slash = path.indexOf('/'); slash >= 0; slash = path.indexOf('/', slash + 1)) {
        if (state.UnknownFolders.contains(path.left(slash)))
            return true;
    }
    return includeSelf && state.UnknownFolders.contains(path);
}

void TSourceWalker::CarryUnknownItems()
{
    if (state.UnknownFolders.isEmpty() && state.UnknownFiles.isEmpty())
        return;
    const TPathList& files = state.PreviousLocalFilesList;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (state.PreviousFileSeen[size_t(i)] || !files.isFirstOccurrence(i))
            continue;
        if (state.UnknownFiles.contains(files.at(i)) || isUnderUnknownFolder(files.at(i), false)) {
            state.LocalFilesList.append(files.at(i));
            state.LocalFilesTimeList.push_back(state.previousStamp(i));
            state.PreviousFileSeen[size_t(i)] = true;
        }
    }
    const TPathList& dirs = state.PreviousLocalDirsList;
    for (qsizetype i = 0; i < dirs.size(); ++i) {
        if (state.PreviousDirSeen[size_t(i)] || !dirs.isFirstOccurrence(i))
            continue;
        if (isUnderUnknownFolder(dirs.at(i), true)) {
            state.LocalDirsList.append(dirs.at(i));
            state.PreviousDirSeen[size_t(i)] = true;
        }
    }
}

namespace {
// Marks as seen every unseen entry of `previous` whose case-folded path one of `count` recorded paths
// (given by `recordedAt`) has.
template <typename RecordedAt>
void markCaseTwinsSeen(const TPathList& previous, std::vector<bool>& seen, qsizetype count,
                       RecordedAt recordedAt)
{
    // The entries the removal pass would delete: usually few, so only they are folded and kept.
    QMultiHash<QString, qsizetype> unseen;
    for (qsizetype i = 0; i < previous.size(); ++i) {
        if (!seen[size_t(i)] && previous.isFirstOccurrence(i))
            unseen.insert(previous.at(i).toCaseFolded(), i);
    }
    for (qsizetype i = 0; !unseen.isEmpty() && i < count; ++i) {
        const QString folded = recordedAt(i).toCaseFolded();
        for (auto it = unseen.constFind(folded); it != unseen.cend() && it.key() == folded; ++it)
            seen[size_t(*it)] = true;
        unseen.remove(folded);
    }
}
} // namespace

void TSourceWalker::KeepCaseTwinsOfRecorded()
{
    if (state.RunKind != btSync || !state.StorageIgnoresCase)
        return;
    markCaseTwinsSeen(state.PreviousLocalFilesList, state.PreviousFileSeen, state.LocalFilesList.size(),
                      [this](qsizetype i) { return state.LocalFilesList.at(i).toString(); });
    markCaseTwinsSeen(state.PreviousLocalDirsList, state.PreviousDirSeen, state.LocalDirsList.size(),
                      [this](qsizetype i) { return state.LocalDirsList.at(i); });
}

void TSourceWalker::ProcessRemovedItems()
{
    job.WaitWhilePaused();
    if (isCancelling())
        return;
    CarryUnknownItems();
    KeepCaseTwinsOfRecorded();
    const bool mirror = state.RunKind == btSync;
    const TPathList& files = state.PreviousLocalFilesList;
    for (qsizetype i = 0; i < files.size(); ++i) {
        // A path listed twice (two sources with one name) is dealt with once.
        if (state.PreviousFileSeen[size_t(i)] || !files.isFirstOccurrence(i))
            continue;
        if (!mirror) {
            state.RemovedFilesList.append(files.at(i));
            continue;
        }
        // Already gone from the mirror (deleted by hand): nothing to delete.
        if (StoragePathIsMissing(job, JoinPath(state.TargetFolder, files.at(i))))
            continue;
        if (!removeStored(atRemoveRemoteFile, files.at(i)))
            return;
    }
    const TPathList& dirs = state.PreviousLocalDirsList;
    for (qsizetype i = dirs.size() - 1; i >= 0; --i) {
        if (state.PreviousDirSeen[size_t(i)] || !dirs.isFirstOccurrence(i))
            continue;
        if (!mirror) {
            state.RemovedDirsList.append(dirs.at(i));
            continue;
        }
        if (!removeStored(atRemoveRemoteEmptyFolder, dirs.at(i)))
            return;
    }
}
