#include "engine/PointVerification.h"

#include "base/PathJoin.h"
#include "engine/ChecksumFile.h"
#include "engine/FileStamp.h"
#include "engine/PointContents.h"
#include "engine/PointContentsReading.h"
#include "engine/RemoteBookkeepingFile.h"
#include "jobs/JobPaths.h"
#include "platform/FileSystem.h"
#include "storage/StorageAccess.h"
#include "storage/StorageConnection.h"

#include <QFile>

#include <algorithm>

namespace {

bool cancelling(const TJob& job)
{
    return job.JobStatus.load() == jsCancelling || job.CancelCurrentFileOperation.load() != 0;
}

class TVerifier
{
public:
    TVerifier(TJob& job, TFileSystem& fs, bool readData, TVerifyResult& result,
              const TVerifyProgress& progress, qint64 bytesTotal)
        : job(job), fs(fs), readData(readData), result(result), progress(progress), bytesTotal(bytesTotal)
    {
    }

    void report(const QString& stored)
    {
        if (progress)
            progress(stored, result.BytesRead, bytesTotal);
    }

    // `recordedStamp`: the source's last-write time the backup recorded for this copy, kNoStamp when
    // none is known.
    void check(const QString& stored, const TChecksumEntry* recorded, TFileStamp recordedStamp)
    {
        ++result.FilesChecked;
        job.CurrentFileOperationPath.set(stored);
        TFileStat st;
        if (fs.stat(stored, st, true) != 0)
            return problem(TVerifyProblemKind::Missing, stored);
        if (!recorded)
            return problem(TVerifyProblemKind::NoChecksum, stored);
        if (st.size != recorded->size)
            return problem(TVerifyProblemKind::WrongSize, stored);
        if (!readData) {
            // The copy carries its source's time; another time means it was written again since,
            // which only reading it could tell apart from damage. Reading it decides alone.
            if (recordedStamp != kNoStamp && !timeMatches(st, recordedStamp))
                problem(TVerifyProblemKind::Damaged, stored);
            return;
        }
        TContentChecksum checksum;
        if (!readInto(stored, checksum))
            return;
        if (checksum.size() != recorded->size)
            problem(TVerifyProblemKind::WrongSize, stored);
        else if (checksum.digest() != recorded->digest)
            problem(TVerifyProblemKind::Damaged, stored);
    }

private:
    // Within two seconds: the coarsest time a storage keeps (FAT), which also covers a share's.
    static bool timeMatches(const TFileStat& st, TFileStamp recorded)
    {
        constexpr qint64 kToleranceMsecs = 2000;
        const qint64 msecs = qint64(st.lastWrite.tv_sec) * 1000 + st.lastWrite.tv_nsec / 1000000;
        return StampFromMsecsSinceEpoch(msecs - kToleranceMsecs) <= recorded &&
               recorded <= StampFromMsecsSinceEpoch(msecs + kToleranceMsecs);
    }

    // False when the copy could not be read to its end (a problem is recorded) or on a cancel.
    bool readInto(const QString& stored, TContentChecksum& checksum)
    {
        std::unique_ptr<TFileHandle> in;
        if (fs.openRead(stored, in, TOpenOptions{}) != 0) {
            problem(TVerifyProblemKind::Unreadable, stored);
            return false;
        }
        buffer.resize(size_t(kChecksumChunkSize));
        for (;;) {
            job.WaitWhilePaused();
            if (cancelling(job)) {
                result.Cancelled = true;
                return false;
            }
            const qint64 n = in->read(buffer.data(), qint64(buffer.size()));
            if (n < 0) {
                problem(TVerifyProblemKind::Unreadable, stored);
                return false;
            }
            if (n == 0)
                return true;
            checksum.update(buffer.data(), size_t(n));
            result.BytesRead += n;
            report(stored);
        }
    }

    void problem(TVerifyProblemKind kind, const QString& stored)
    {
        result.Problems.push_back({kind, stored});
    }

    TJob& job;
    TFileSystem& fs;
    bool readData;
    TVerifyResult& result;
    const TVerifyProgress& progress;
    const qint64 bytesTotal;
    std::vector<char> buffer;
};

// Calls `step` for every file of the point, depth first in name order, while it returns true.
template <typename Step> void forEachFile(const TPointContents& contents, Step step)
{
    std::vector<TPointContents::TId> pending{TPointContents::kTop};
    while (!pending.empty()) {
        const TPointContents::TId id = pending.back();
        pending.pop_back();
        if (contents.isFolder(id)) {
            const auto children = contents.children(id);
            pending.insert(pending.end(), children.rbegin(), children.rend());
        } else if (!step(id)) {
            return;
        }
    }
}

// The source times the remote job file recorded, by clean path: those of the files its last run saw,
// whose copies the mirror or the latest restore point holds. Empty for an older point or when the
// file cannot be read.
QHash<QString, TFileStamp> recordedStamps(TJob& job, bool latest)
{
    QHash<QString, TFileStamp> stamps;
    TRunBookkeeping bookkeeping;
    try {
        if (!latest || !ReadRunBookkeeping(JobTempRemoteJobFile(job), bookkeeping))
            return stamps;
    } catch (const TJobFileError&) {
        return stamps;
    }
    for (qsizetype i = 0; i < bookkeeping.Files.size() && size_t(i) < bookkeeping.Stamps.size(); ++i) {
        const QString clean = CleanCatalogEntry(bookkeeping.Files.at(i));
        if (!clean.isEmpty())
            stamps.insert(clean, bookkeeping.Stamps[size_t(i)]);
    }
    return stamps;
}

} // namespace

bool FetchChecksumFile(TJob& job, const QString& folder, const QString& local)
{
    QFile::remove(local);
    return job.FileOperation(atCopyFromRemoteToLocalFile, local, JoinPath(folder, kChecksumFileName), 0,
                             false) == orSuccess;
}

TChecksumTable FetchChecksumTable(TJob& job, const QString& folder)
{
    TChecksumTable table;
    const QString local = JoinPath(JobTempFolder(job), kChecksumFileName);
    if (FetchChecksumFile(job, folder, local))
        ReadChecksumFile(local, table);
    return table;
}

qint64 TVerifyResult::count(TVerifyProblemKind kind) const
{
    return std::count_if(Problems.begin(), Problems.end(),
                         [kind](const TVerifyProblem& p) { return p.Kind == kind; });
}

int TVerifyResult::exitCode() const
{
    if (Cancelled || !ErrorText.isEmpty())
        return 3;
    if (Problems.empty())
        return 0;
    return qint64(Problems.size()) == count(TVerifyProblemKind::NoChecksum) ? 1 : 2;
}

TVerifyResult VerifyPoint(TJob_FilesAndFolders& job, const QStringList& points, qint32 index, bool readData,
                          const TVerifyProgress& progress)
{
    TVerifyResult result;
    const TPointContentsRead read = ReadPointContents(job, points, index);
    if (!read.Contents) {
        result.ErrorText = read.ErrorText;
        return result;
    }
    const TPointContents& contents = *read.Contents;
    const TStorageConnectionResult connection = job.ConnectToStorage();
    if (!connection.ok()) {
        result.ErrorText = job.Translate(QStringLiteral("Unable to connect to the backup storage."));
        return result;
    }
    {
        TStorageAccess access(job.NetworkConnection.get());
        int error = 0;
        TFileSystem* fs = access.fileSystemFor(connection.folder, error);
        if (!fs) {
            result.ErrorText = job.Translate(QStringLiteral("Unable to connect to the backup storage."));
        } else {
            // One table per backup folder of the chain ("" for the mirror), looked up by relative path.
            QHash<QString, TChecksumTable> tables;
            const QStringList folders =
                contents.storageFolders.isEmpty() ? QStringList{QString()} : contents.storageFolders;
            for (const QString& folder : folders)
                tables.insert(folder, FetchChecksumTable(job, folder.isEmpty()
                                                                  ? connection.folder
                                                                  : JoinPath(connection.folder, folder)));
            // What there is to read: the recorded sizes, known before any copy is looked at.
            qint64 bytesTotal = 0;
            if (readData) {
                forEachFile(contents, [&](TPointContents::TId id) {
                    if (const TChecksumEntry* recorded =
                            tables[contents.storageFolderOf(id)].find(contents.path(id)))
                        bytesTotal += recorded->size;
                    return true;
                });
            }
            const QHash<QString, TFileStamp> stamps =
                recordedStamps(job, contents.storageFolders.isEmpty() || index == points.size() - 1);
            TVerifier verifier(job, *fs, readData, result, progress, bytesTotal);
            forEachFile(contents, [&](TPointContents::TId id) {
                job.WaitWhilePaused();
                if (cancelling(job))
                    result.Cancelled = true;
                if (result.Cancelled)
                    return false;
                const QString folder = contents.storageFolderOf(id);
                const QString base =
                    folder.isEmpty() ? connection.folder : JoinPath(connection.folder, folder);
                const QString stored = JoinPath(base, contents.path(id));
                verifier.check(stored, tables[folder].find(contents.path(id)),
                               stamps.value(contents.path(id), kNoStamp));
                verifier.report(stored);
                return true;
            });
        }
    }
    job.DisconnectFromStorage();
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationPath.clear();
    return result;
}

TVerifyResult VerifyRunCopies(TJob& job, const QString& folder, const TChecksumTable& copies,
                              const TVerifyProgress& progress)
{
    TVerifyResult result;
    TStorageAccess access(job.NetworkConnection.get());
    int error = 0;
    TFileSystem* fs = access.fileSystemFor(folder, error);
    if (!fs) {
        result.ErrorText = job.Translate(QStringLiteral("Unable to connect to the backup storage."));
        return result;
    }
    QStringList paths = copies.entries.keys();
    paths.sort();
    qint64 bytesTotal = 0;
    for (const TChecksumEntry& entry : copies.entries)
        bytesTotal += entry.size;
    TVerifier verifier(job, *fs, true, result, progress, bytesTotal);
    for (const QString& path : std::as_const(paths)) {
        job.WaitWhilePaused();
        if (cancelling(job)) {
            result.Cancelled = true;
            break;
        }
        const QString stored = JoinPath(folder, path);
        verifier.check(stored, copies.find(path), kNoStamp);
        if (result.Cancelled)
            break;
        verifier.report(stored);
    }
    job.CurrentFileOperationPath.clear();
    return result;
}
