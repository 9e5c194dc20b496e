#pragma once
// The verification of a files-and-folders job as a job operation started from a front end: the newest
// restore point (a mirror: the mirror) with every copy of its chain read again. The job runs while it
// lasts (its row shows the file being read and the share of bytes done, Pause and Cancel work), and it
// ends with its run log, a history line and an event.
#include "engine/PointVerification.h"

#include <functional>

class TVerifyInteraction
{
public:
    virtual ~TVerifyInteraction() = default;
    // Runs `read` (the reading of the restore point list from the storage). A window runs it on a
    // helper thread and keeps painting meanwhile; the default runs it right here.
    virtual void WhileReading(const std::function<void()>& read) { read(); }
    // An error message (error kind, OK button).
    virtual void ShowError(const QString& message) = 0;
};

// Reads the restore point list on the calling thread, then verifies on a worker thread. False, with
// nothing changed, when the job already runs in this or another process; true when the verification
// has started or has ended with its error shown (storage not reached, no restore point).
bool StartVerification(TJob_FilesAndFolders& job, TVerifyInteraction& ui);

// After a backup run that copied files (`copies`, by path below `folder`, with the checksums computed
// while copying): reads them again from the connected storage and logs the problems as errors of the
// run, and a summary line. The job's row shows it as a verification meanwhile.
void VerifyCopiesAfterRun(TJob& job, const QString& folder, const TChecksumTable& copies);

// One run-log line per problem of `result` ("ERROR:" lines, counted as the run's errors), and one
// "WARNING:" line for the copies that have no recorded checksum.
void LogVerifyProblems(TJob& job, const TVerifyResult& result);

// The number of real problems: copies without a recorded checksum are not counted.
qint64 VerifyProblemCount(const TVerifyResult& result);
