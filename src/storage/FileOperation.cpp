// TJob::FileOperation: one operation on the storage with logging, progress, cancel and retries.
#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/CopyFile.h"
#include "platform/FileSystem.h"
#include "platform/SmbPath.h"
#include "platform/uForceDeleteShell.h"
#include "storage/StorageAccess.h"
#include "storage/StorageError.h"
#include "storage/StorageHelpers.h"
#include "storage/uNetworkFuncs.h"

#include <cerrno>
#include <chrono>
#include <optional>

namespace {

// The source of a copy vanished: a local failure that ends the call at once.
struct TLocalFileMissing
{
};

class TFileOperationRun
{
public:
    TFileOperationRun(TJob& job, bool logError)
        : job(job), access(job.NetworkConnection.get()), logError(logError)
    {
    }

    TJob& job;
    TStorageAccess access;
    bool logError;
    QString ownTemporaryCopy; // the temporary copy this call made, which it may move

    QString tr(const char* text) const { return job.Translate(QString::fromLatin1(text)); }
    void log(const QString& text) { LogLine(job, text); }
    void logFailure(const QString& text)
    {
        if (logError)
            LogError(job, text);
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
                     const QString& target, bool overwrite = true, std::function<void()> beforeReplacing = {})
    {
        TCopyOptions options;
        options.beforeReplacing = std::move(beforeReplacing);
        options.unbuffered = job.JobOptions.Processing.DontUseBufferingForCopyOperations;
        options.overwrite = overwrite;
        options.cancel = &job.CancelCurrentFileOperation;
        std::optional<TContentChecksum> checksum;
        if (job.ComputeCopyChecksums)
            options.checksum = &checksum.emplace();
        options.progress = [this](qint64 total, qint64 transferred) {
            job.CurrentFileOperationProgress = CopyProgressPercent(transferred, total);
            // A pause holds a large file's copy between two chunks rather than after its end, so
            // nothing goes on copying under "Paused"; a cancel ends the wait and then the copy.
            job.WaitWhilePaused();
        };
        const TCopyResult result = CopyFileWithProgress(sourceFs, ExtendedLengthPath(source, false), targetFs,
                                                        ExtendedLengthPath(target, false), options);
        if (checksum && result.ok())
            job.LastCopyChecksum = TJob::TCopyChecksum{checksum->size(), checksum->digest()};
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
            throw TLocalFileMissing();
        }
        TFileSystem& remoteFs = fs(remote);
        const qint64 size = FileSizeOrMinusOne(localFs, local);
        job.CurrentBackupSize += size;
        if (local == ownTemporaryCopy && localFs.isLocal() && remoteFs.isLocal() &&
            moveIntoPlace(remoteFs, local, remote, size))
            return;
        // Only a file that is there can be read-only: the check waits until the copy finds one (on a
        // share, asking first costs a request for every new file).
        check(copy(localFs, local, remoteFs, remote, true, [&] { clearReadOnly(remoteFs, remote); }).error);
    }

    // On a local storage on the temporary folder's volume the temporary copy is made beside its target
    // (under a hidden name), since it is moved into place anyway. Made there, its inode and blocks lie
    // with the folder the file stays in, and the file system does not search the temporary folder's
    // crowded inode groups again for every new file. Empty when the copy goes to the temporary folder
    // as usual: another volume, a share, or a target folder that does not exist (yet).
    QString temporaryCopyBeside(TFileSystem& temporaryFs, const QString& inTemporaryFolder,
                                const QString& remote)
    {
        // A path that is not a share's is always on the local file system.
        if (!temporaryFs.isLocal() || IsSmbPath(remote))
            return {};
        TFileSystem& remoteFs = fs(remote);
        const QString folder = ParentPath(remote);
        if (!remoteFs.folderExists(folder) ||
            rememberedVolumeOf(remoteFs, folder, job.RememberedVolumes.targetFolder) !=
                rememberedVolumeOf(temporaryFs, ParentPath(inTemporaryFolder),
                                   job.RememberedVolumes.temporaryFolder))
            return {};
        return TemporaryNameBeside(remote);
    }

    // The volume of `folder`, remembered in `entry` for the folder asked last. A volume mounted there
    // meanwhile does no harm: a copy made beside its target is renamed within its own folder either way.
    static QString rememberedVolumeOf(TFileSystem& fileSystem, const QString& folder,
                                      TRememberedVolumes::TEntry& entry)
    {
        if (entry.folder != folder) {
            entry.volume = fileSystem.volumeOf(folder);
            entry.folder = folder;
        }
        return entry.volume;
    }

    // The temporary copy is this call's own, complete, with the source's time and permission bits: on
    // the same volume as the storage it moves into place instead of being copied a second time (the
    // rename replaces an older copy whole). False when it cannot (another volume, a folder in the way):
    // the ordinary copy then runs and reports.
    bool moveIntoPlace(TFileSystem& fileSystem, const QString& temporary, const QString& remote, qint64 size)
    {
        // Onto a free name the rename refuses to replace: something that appears there meanwhile is
        // left to the ordinary copy.
        const bool replacing = clearReadOnly(fileSystem, remote);
        if (fileSystem.rename(temporary, remote, replacing) != 0)
            return false;
        job.CurrentFileOperationProgress = CopyProgressPercent(size, size);
        return true;
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
        case atCopyFromLocalToRemoteFileThroughTempFolder:
            copyLocalToRemote(local, remote, logCopying);
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
        job.WaitUntil(
            [this] {
                return job.CancelCurrentFileOperation.load() != 0 || job.JobStatus.load() == jsCancelling;
            },
            std::chrono::seconds(seconds));
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
    TFileOperationType kind = csOperationType;
    QString local = csstrLocal;
    QString temporaryCopy;
    TFileSystem* temporaryFs = nullptr;
    qint32 attempts = 0;

    if (kind == atCopyFromLocalToRemoteFileThroughTempFolder) {
        run.log(run.tr("Copying the file:") + ' ' + csstrLocal);
        try {
            TFileSystem& sourceFs = run.fs(csstrLocal);
            if (!sourceFs.exists(csstrLocal)) {
                run.logFailure(run.tr("The file does not exist."));
                CurrentFileOperationProgress = 0;
                return orERROR_LocalAccess;
            }
            temporaryCopy = CombineJobPath(JobOptions.General.PathForTempFiles, stJobName,
                                           LastPathComponent(csstrRemote));
            if (temporaryCopy.isEmpty()) {
                // Never a path outside the job's temporary folder.
                ::LogError(*this, run.tr("The temporary copy cannot be placed in the job's temporary "
                                         "folder:") +
                                      ' ' + csstrRemote);
                CurrentFileOperationProgress = 0;
                return orERROR_LocalAccess;
            }
            temporaryFs = &run.fs(temporaryCopy);
            const QString beside = run.temporaryCopyBeside(*temporaryFs, temporaryCopy, csstrRemote);
            if (!beside.isEmpty())
                temporaryCopy = beside;
            else
                temporaryFs->makePath(ParentPath(temporaryCopy));
            const TCopyResult copied = run.copy(sourceFs, csstrLocal, *temporaryFs, temporaryCopy);
            if (!copied.ok() && !beside.isEmpty() && copied.targetFailed) {
                // Beside its target the temporary copy is written by the storage: a refusal there is
                // the storage's, and counts as the first attempt. Further attempts copy straight from
                // the source, which a local storage reads as the temporary folder would.
                run.logFailure(WithoutLineBreaks(SystemErrorText(copied.error, this)));
                attempts = 1;
                temporaryCopy.clear();
                temporaryFs = nullptr;
            } else if (!copied.ok()) {
                if (LogError && !(JobOptions.Processing.SkipLockedFiles && copied.sourceLocked))
                    ::LogError(*this, WithoutLineBreaks(SystemErrorText(copied.error, this)));
                CurrentFileOperationProgress = 0;
                return orERROR_LocalAccess;
            }
        } catch (const TStorageError& e) {
            run.logFailure(WithoutLineBreaks(e.message()));
            CurrentFileOperationProgress = 0;
            return orERROR_LocalAccess;
        }
        kind = atCopyFromLocalToRemoteFile;
        if (!temporaryCopy.isEmpty()) {
            local = temporaryCopy;
            run.ownTemporaryCopy = temporaryCopy;
        }
    }

    CurrentFileOperationType = kind;
    CurrentFileOperationProgress = 0;
    TOperationResult result = orERROR_RemoteAccess;
    while (result != orSuccess && CancelCurrentFileOperation.load() == 0 && attempts <= RetryCount) {
        if (attempts > 0) {
            const qint32 wait = JobOptions.Processing.IfDestinationNotAvailable_Wait_Sec;
            run.log(run.tr("Retry after %s seconds.").replace(QStringLiteral("%s"), QString::number(wait)));
            run.waitBeforeRetry(wait);
        }
        // The temporary copy's first attempt has already logged its "Copying the file:" line.
        const bool logCopying = temporaryCopy.isEmpty() || attempts > 0;
        ++attempts;
        try {
            run.attempt(kind, local, csstrRemote, logCopying);
            result = orSuccess;
        } catch (const TLocalFileMissing&) {
            return orERROR_LocalAccess;
        } catch (const TStorageError& e) {
            run.logFailure(WithoutLineBreaks(e.message()));
        }
    }

    // Times of earlier copies that were set later and failed are reported with the next operation.
    int accessError = 0;
    if (TFileSystem* remoteFs = run.access.fileSystemFor(csstrRemote, accessError))
        LogDeferredFailures(*this, *remoteFs, false);

    CancelCurrentFileOperation = 0;
    if (temporaryFs) {
        TFileStat st;
        if (temporaryFs->stat(temporaryCopy, st) == 0) {
            if (st.readOnly())
                temporaryFs->setPermissions(temporaryCopy, st.mode | 0600);
            temporaryFs->removeFile(temporaryCopy);
        }
    }
    return result;
}
