// TJob::FileOperation: one operation on the storage with logging, progress, cancel and retries.
#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/CopyFile.h"
#include "platform/FileSystem.h"
#include "platform/SmbPath.h"
#include "platform/uForceDeleteShell.h"
#include "storage/BackupCopy.h"
#include "storage/StorageAccess.h"
#include "storage/StorageError.h"
#include "storage/StorageHelpers.h"
#include "storage/uNetworkFuncs.h"

#include <cerrno>
#include <chrono>
#include <optional>
#include <utility>

namespace {

// The source of a copy vanished or could not be read (already reported): a local failure that ends the
// call at once.
struct TLocalFailure
{
};

class TFileOperationRun
{
public:
    TFileOperationRun(TJob& job, bool logError, TBackupCopy* task = nullptr)
        : job(job), access(job.NetworkConnection.get()), logError(logError), task(task)
    {
    }

    TJob& job;
    TStorageAccess access;
    bool logError;
    // A copy made on a copy worker: lines, size and checksum go into it instead of the job.
    TBackupCopy* task;

    QString tr(const char* text) const { return job.Translate(QString::fromLatin1(text)); }
    void log(const QString& text)
    {
        if (task)
            task->lines.push_back({false, text});
        else
            LogLine(job, text);
    }
    void logErrorLine(const QString& text)
    {
        if (task)
            task->lines.push_back({true, text});
        else
            LogError(job, text);
    }
    void logFailure(const QString& text)
    {
        if (logError)
            logErrorLine(text);
    }
    bool cancelRequested() const
    {
        return (task ? task->cancel.load() : job.CancelCurrentFileOperation.load()) != 0 ||
               job.JobStatus.load() == jsCancelling;
    }
    bool suppressedInternal(const QString& localPath) const
    {
        return job.JobOptions.Logging.DontLogCopyingInternalFiles && IsInternalFile(localPath);
    }
    [[noreturn]] void raise(int error) const { throw TStorageError(SystemErrorText(error, &job)); }
    void check(int error) const
    {
        if (error != 0)
            raise(error);
    }

    TFileSystem& fs(const QString& path)
    {
        // A relative path names no volume; it must never land below the working folder.
        if (!path.startsWith('/') && !IsSmbPath(path))
            raise(EINVAL);
        return access.fileSystemFor(ExtendedLengthPath(path, false));
    }

    TCopyResult copy(TFileSystem& sourceFs, const QString& source, TFileSystem& targetFs,
                     const QString& target, bool overwrite = true, std::function<void()> beforeReplacing = {},
                     bool besideThenRename = false)
    {
        TCopyOptions options;
        options.beforeReplacing = std::move(beforeReplacing);
        options.besideThenRename = besideThenRename;
        options.unbuffered = job.JobOptions.Processing.DontUseBufferingForCopyOperations;
        options.overwrite = overwrite;
        options.cancel = task ? &task->cancel : &job.CancelCurrentFileOperation;
        std::optional<TContentChecksum> checksum;
        if (task ? task->computeChecksum : job.ComputeCopyChecksums)
            options.checksum = &checksum.emplace();
        options.progress = [this](qint64 total, qint64 transferred) {
            if (task) {
                // A worker's copy shows no progress of its own (the run shows the walk's) and learns
                // of a cancel from the job's status.
                job.WaitWhilePaused();
                if (job.JobStatus.load() == jsCancelling)
                    task->cancel = 1;
                return;
            }
            job.CurrentFileOperationProgress = CopyProgressPercent(transferred, total);
            // A pause holds a large file's copy between two chunks rather than after its end, so
            // nothing goes on copying under "Paused"; a cancel ends the wait and then the copy.
            job.WaitWhilePaused();
        };
        const TCopyResult result = CopyFileWithProgress(sourceFs, ExtendedLengthPath(source, false), targetFs,
                                                        ExtendedLengthPath(target, false), options);
        if (checksum && result.ok()) {
            const TJob::TCopyChecksum made{checksum->size(), checksum->digest()};
            if (task)
                task->checksum = made;
            else
                job.LastCopyChecksum = made;
        }
        return result;
    }

    // True when something is at `path`.
    bool clearReadOnly(TFileSystem& fileSystem, const QString& path)
    {
        TFileStat st;
        if (fileSystem.stat(path, st) != 0)
            return false;
        if (!st.isFolder && st.readOnly()) {
            log(tr("Removing the read-only attribute:") + ' ' + path);
            fileSystem.setPermissions(path, st.mode | 0644);
        }
        return true;
    }

    void copyLocalToRemote(const QString& local, const QString& remote, bool logCopying)
    {
        if (logCopying && !suppressedInternal(local))
            log(tr("Copying the file:") + ' ' + local);
        TFileSystem& localFs = fs(local);
        if (!localFs.exists(local)) {
            logFailure(tr("The file does not exist.") + ' ' + local);
            throw TLocalFailure();
        }
        TFileSystem& remoteFs = fs(remote);
        job.CurrentBackupSize += FileSizeOrMinusOne(localFs, local);
        // Only a file that is there can be read-only: the check waits until the copy finds one (on a
        // share, asking first costs a request for every new file).
        check(copy(localFs, local, remoteFs, remote, true, [&] { clearReadOnly(remoteFs, remote); }).error);
    }

    // The backup's copy of a source file: written beside its target on the storage under a temporary
    // name and renamed into place once complete, so the source is read once into a complete copy and
    // the target's name never holds a half file, whatever stops the run. A source that is missing,
    // locked or unreadable ends the call as a local failure; the storage's failures are retried.
    void copyIntoPlace(const QString& source, const QString& remote, bool logCopying)
    {
        if (logCopying && !suppressedInternal(source))
            log(tr("Copying the file:") + ' ' + source);
        TFileSystem& sourceFs = fs(source);
        TFileSystem& remoteFs = fs(remote);
        const TCopyResult copied = copy(
            sourceFs, source, remoteFs, remote, true, [&] { clearReadOnly(remoteFs, remote); }, true);
        if (copied.ok()) {
            if (task)
                task->size = copied.size;
            else
                job.CurrentBackupSize += copied.size;
            return;
        }
        if (copied.targetFailed)
            raise(copied.error);
        if (copied.sourceMissing)
            logFailure(tr("The file does not exist."));
        else if (logError && !(job.JobOptions.Processing.SkipLockedFiles && copied.sourceLocked))
            logErrorLine(WithoutLineBreaks(SystemErrorText(copied.error, &job)));
        throw TLocalFailure();
    }

    void copyRemoteToLocal(const QString& local, const QString& remote)
    {
        if (!suppressedInternal(local))
            log(tr("Copying the file:") + ' ' + remote);
        TFileSystem& remoteFs = fs(remote);
        if (!remoteFs.exists(remote))
            throw TStorageError(tr("The file does not exist."));
        TFileSystem& localFs = fs(local);
        clearReadOnly(localFs, local);
        check(copy(remoteFs, remote, localFs, local).error);
    }

    void removeFile(const QString& remote)
    {
        TFileSystem& remoteFs = fs(remote);
        TFileStat st;
        check(remoteFs.stat(remote, st, false));
        if (!st.isSymlink && st.readOnly()) {
            log(tr("Removing the read-only attribute:") + ' ' + remote);
            remoteFs.setPermissions(remote, st.mode | 0644);
        }
        if (!suppressedInternal(remote))
            log(tr("Removing the file:") + ' ' + remote);
        if (st.isFolder && !st.isSymlink)
            raise(EISDIR);
        check(remoteFs.removeFile(remote));
    }

    // The ordinary removal of everything inside a folder; errors are left to the check that follows.
    void removeContents(TFileSystem& fileSystem, const QString& folder)
    {
        QList<TDirEntry> entries;
        fileSystem.list(folder, entries);
        for (const TDirEntry& entry : std::as_const(entries)) {
            const QString path = folder + '/' + entry.name;
            if (entry.stat.isFolder && !entry.stat.isSymlink) {
                removeContents(fileSystem, path);
                fileSystem.removeFolder(path);
            } else {
                if (!entry.stat.isSymlink)
                    fileSystem.makeWritable(path);
                fileSystem.removeFile(path);
            }
        }
    }

    void removeFolder(const QString& remote, bool withContents)
    {
        log(tr(withContents ? "Removing the full directory:" : "Removing the empty directory:") + ' ' +
            remote);
        TFileSystem& remoteFs = fs(remote);
        if (withContents)
            removeContents(remoteFs, remote);
        remoteFs.removeFolder(remote);
        TFileStat st;
        const int error = remoteFs.stat(remote, st, false);
        if (error == ENOENT)
            return;
        if (error != 0)
            raise(error); // the storage cannot be reached: retried
        QString deleteError;
        if (!ShellDeleteItem(remoteFs, remote, &deleteError))
            throw TStorageError(deleteError.isEmpty() ? tr("Unable to remove the directory.") : deleteError);
    }

    void createFolder(const QString& remote)
    {
        log(tr("Creating the directory:") + ' ' + remote);
        TFileSystem& remoteFs = fs(remote);
        // Only a missing volume (an unreachable share, or a path outside any folder) is reported here;
        // other failures surface in the next operation inside the folder.
        const int error = remoteFs.makePath(remote);
        if (error == 0 || remoteFs.folderExists(ParentPath(remote)))
            return;
        QString volume = remote;
        for (QString parent = ParentPath(volume); !parent.isEmpty() && parent != volume;
             parent = ParentPath(volume)) {
            if (remoteFs.exists(parent))
                return;
            volume = parent;
        }
        raise(error);
    }

    void renameFolder(const QString& oldPath, const QString& newPath)
    {
        log(tr("Renaming the directory:") + ' ' + oldPath);
        TFileSystem& oldFs = fs(oldPath);
        TFileSystem& newFs = fs(newPath);
        TFileStat st;
        check(oldFs.stat(oldPath, st, false));
        if (!st.isFolder || st.isSymlink)
            raise(ENOTDIR);
        if (newFs.exists(newPath))
            raise(EEXIST);
        if (&oldFs != &newFs || oldFs.volumeOf(oldPath) != newFs.volumeOf(newPath))
            raise(EXDEV);
        check(oldFs.rename(oldPath, newPath, false));
    }

    void renameFile(const QString& oldPath, const QString& newPath)
    {
        log(tr("Renaming the file:") + ' ' + oldPath);
        TFileSystem& oldFs = fs(oldPath);
        TFileSystem& newFs = fs(newPath);
        TFileStat st;
        check(oldFs.stat(oldPath, st, false));
        if (st.isFolder && !st.isSymlink)
            raise(EISDIR);
        if (newFs.exists(newPath))
            raise(EEXIST);
        if (!newFs.folderExists(ParentPath(newPath)))
            raise(ENOENT);
        int error = EXDEV;
        if (&oldFs == &newFs)
            error = oldFs.rename(oldPath, newPath, false);
        if (error != EXDEV)
            check(error);
        else {
            // Across volumes: a copy that refuses to overwrite, then the old file goes.
            check(copy(oldFs, oldPath, newFs, newPath, false).error);
            check(oldFs.removeFile(oldPath));
        }
    }

    void attempt(TFileOperationType kind, const QString& local, const QString& remote, bool logCopying)
    {
        switch (kind) {
        case atCopyFromLocalToRemoteFile:
            copyLocalToRemote(local, remote, logCopying);
            break;
        case atCopyFromLocalToRemoteFileThroughTempFolder:
            copyIntoPlace(local, remote, logCopying);
            break;
        case atCopyFromRemoteToLocalFile:
            copyRemoteToLocal(local, remote);
            break;
        case atRemoveRemoteFile:
            removeFile(remote);
            break;
        case atRemoveRemoteEmptyFolder:
            removeFolder(remote, false);
            break;
        case atRemoveRemoteNotEmptyFolder:
            removeFolder(remote, true);
            break;
        case atCreateRemoteFolder:
            createFolder(remote);
            break;
        case atRenameRemoteFolder:
            renameFolder(remote, local);
            break;
        case atRenameRemoteFile:
            renameFile(remote, local);
            break;
        case atNone_WaitingForReconnection:
        case atNone:
            break;
        }
    }

    // The pause between attempts; a cancel of the job wakes it and ends it at once.
    void waitBeforeRetry(qint32 seconds)
    {
        job.WaitUntil([this] { return cancelRequested(); }, std::chrono::seconds(seconds));
    }

    // The attempts of one operation, with the wait and its line before each retry. The first attempt
    // of a copy into place finds its "Copying the file:" line already written.
    TOperationResult attempts(TFileOperationType kind, const QString& local, const QString& remote,
                              qint32 retryCount)
    {
        const bool intoPlace = kind == atCopyFromLocalToRemoteFileThroughTempFolder;
        TOperationResult result = orERROR_RemoteAccess;
        qint32 attempts = 0;
        while (result != orSuccess &&
               !(task ? cancelRequested() : job.CancelCurrentFileOperation.load() != 0) &&
               attempts <= retryCount) {
            if (attempts > 0) {
                const qint32 wait = job.JobOptions.Processing.IfDestinationNotAvailable_Wait_Sec;
                log(tr("Retry after %s seconds.").replace(QStringLiteral("%s"), QString::number(wait)));
                waitBeforeRetry(wait);
            }
            const bool logCopying = !intoPlace || attempts > 0;
            ++attempts;
            try {
                attempt(kind, local, remote, logCopying);
                result = orSuccess;
            } catch (const TLocalFailure&) {
                return orERROR_LocalAccess;
            } catch (const TStorageError& e) {
                logFailure(WithoutLineBreaks(e.message()));
            }
        }
        return result;
    }

    // The line a copy into place starts with, whatever the options say about internal files, and the
    // check that its source names a volume. False: a local failure, already logged.
    bool startCopyIntoPlace(const QString& local)
    {
        log(tr("Copying the file:") + ' ' + local);
        try {
            fs(local);
        } catch (const TStorageError& e) {
            logFailure(WithoutLineBreaks(e.message()));
            return false;
        }
        return true;
    }
};

} // namespace

TOperationResult TJob::FileOperation(TFileOperationType csOperationType, const QString& csstrLocal,
                                     const QString& csstrRemote, qint32 RetryCount, bool LogError)
{
    CancelCurrentFileOperation = 0;
    CurrentFileOperationType = csOperationType;
    CurrentFileOperationProgress = 0;
    LastCopyChecksum.reset();
    const bool fromLocal = csOperationType == atCopyFromLocalToRemoteFile ||
                           csOperationType == atCopyFromLocalToRemoteFileThroughTempFolder;
    CurrentFileOperationPath.set(fromLocal ? csstrLocal : csstrRemote);

    TFileOperationRun run(*this, LogError);
    if (csOperationType == atCopyFromLocalToRemoteFileThroughTempFolder &&
        !run.startCopyIntoPlace(csstrLocal)) {
        CurrentFileOperationProgress = 0;
        return orERROR_LocalAccess;
    }
    const TOperationResult result = run.attempts(csOperationType, csstrLocal, csstrRemote, RetryCount);
    if (result == orERROR_LocalAccess) {
        CurrentFileOperationProgress = 0;
        return result;
    }

    // Times of earlier copies that were set later and failed are reported with the next operation.
    int accessError = 0;
    if (TFileSystem* remoteFs = run.access.fileSystemFor(csstrRemote, accessError))
        LogDeferredFailures(*this, *remoteFs, false);

    CancelCurrentFileOperation = 0;
    return result;
}

void RunBackupCopy(TJob& job, TBackupCopy& copy)
{
    job.WaitWhilePaused();
    if (job.JobStatus.load() == jsCancelling)
        return;
    TFileOperationRun run(job, true, &copy);
    copy.result = run.startCopyIntoPlace(copy.source)
                      ? run.attempts(atCopyFromLocalToRemoteFileThroughTempFolder, copy.source, copy.target,
                                     copy.retries)
                      : orERROR_LocalAccess;
}

void ApplyBackupCopy(TJob& job, const TBackupCopy& copy)
{
    for (const TBackupCopyLine& line : copy.lines) {
        if (line.error)
            LogError(job, line.text);
        else
            LogLine(job, line.text);
    }
    if (copy.result == orSuccess)
        job.CurrentBackupSize += copy.size;
    job.LastCopyChecksum = copy.result == orSuccess ? copy.checksum : std::nullopt;
}
