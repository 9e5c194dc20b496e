#pragma once
// A backup's copy of one source file made away from the run's thread (a copy worker): the same steps,
// retries and messages as FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder), but the only
// job state it touches is the status it reads (pause, cancel) and the options. Its run-log lines,
// size and checksum wait in the copy until the run's thread takes them, in the walk's order.
#include "jobs/uJob.h"

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

struct TBackupCopyLine
{
    bool error = false; // an error line (it raises the job's error count when it is written)
    QString text;
};

struct TBackupCopy
{
    QString source;
    QString target;
    qint32 retries = 0;
    bool computeChecksum = false;
    // Set when the job is cancelled during the copy: the copy stops between chunks.
    std::atomic<qint32> cancel{0};

    TOperationResult result = orERROR_RemoteAccess;
    qint64 size = 0; // bytes put in place
    std::optional<TJob::TCopyChecksum> checksum;
    std::vector<TBackupCopyLine> lines;
    // Set once whoever made the copy has finished with it: only then is the result read.
    std::atomic<bool> done{false};
};

// Makes the copy (on any thread). A job that is cancelled before it starts leaves it undone, failed.
void RunBackupCopy(TJob& job, TBackupCopy& copy);
// On the run's thread: writes the copy's run-log lines and adds its size to the run's total.
void ApplyBackupCopy(TJob& job, const TBackupCopy& copy);
