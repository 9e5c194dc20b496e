#pragma once
// Proof that a restore point can be restored without restoring it: every file the point needs (its
// whole chain) is looked at on the storage, against the size and checksum its backup recorded; with
// `readData` each copy is read again and its checksum compared.
#include "jobs/uJob_FilesAndFolders.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

enum class TVerifyProblemKind
{
    Missing,
    WrongSize,
    Damaged,
    Unreadable,
    NoChecksum, // the backup recorded none: the copy cannot be proven, which is no fault
};

struct TVerifyProblem
{
    TVerifyProblemKind Kind;
    QString Path; // of the copy on the storage
};

struct TVerifyResult
{
    QString ErrorText; // the point could not be read or the storage not reached
    bool Cancelled = false;
    qint64 FilesChecked = 0;
    qint64 BytesRead = 0;
    std::vector<TVerifyProblem> Problems;

    qint64 count(TVerifyProblemKind kind) const;
    // 0: all proven; 1: only files without a recorded checksum; 2: problems; 3: cancelled or not reached.
    int exitCode() const;
};

// The checksums file of the backup folder `folder` on the connected storage; an empty table when there
// is none (a backup made without them) or it cannot be had.
struct TChecksumTable;
TChecksumTable FetchChecksumTable(TJob& job, const QString& folder);
// Copies that file to `local` (removed first); false when there is none or it cannot be had.
bool FetchChecksumFile(TJob& job, const QString& folder, const QString& local);

// The point at `index` of `points` (MainBackupList without its marker), or the mirror. The remote job
// file must be in the temporary folder (ReadRestorePointList leaves it there). Connects and
// disconnects; stops between files and chunks when the job is cancelled, and waits there while it is
// paused.
// Told after each file and each chunk read: the copy being looked at, the bytes read so far and the
// bytes there are to read (the recorded sizes of the copies that have a checksum; 0 without `readData`).
using TVerifyProgress = std::function<void(const QString& path, qint64 bytesDone, qint64 bytesTotal)>;
TVerifyResult VerifyPoint(TJob_FilesAndFolders& job, const QStringList& points, qint32 index, bool readData,
                          const TVerifyProgress& progress = {});

// The copies one backup run has just made in `folder` on the storage (connected by the run), read
// again and compared with the checksums the run computed while writing them (`copies`, by path
// relative to `folder`), in path order.
TVerifyResult VerifyRunCopies(TJob& job, const QString& folder, const TChecksumTable& copies,
                              const TVerifyProgress& progress = {});
