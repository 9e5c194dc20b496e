#pragma once
// The bookkeeping that opens and closes every backup run, of either job kind: at the start the start
// time, the history line, the connection, the log folder and the temporary folder; at the end the
// closing line, the temporary files, the disconnection, the saved log and the job file.
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class TJob;
class TJobRunLock;

// The start of a backup on the caller's thread, before its worker runs: the job becomes running with
// a fresh result and a copy of the global options, and the events log gets "Starting the "%s"
// backup.".
void BeginBackupRun(TJob& job);

// Runs `run` on a worker thread of its own, which holds the job's run lock until `run` calls the
// function it is given (just before the job goes idle). An error that escapes the run ends it: the
// lock goes, the error is counted, the events log gets "Error occured in job "%s": %s" and, last, the
// job becomes idle.
void StartBackupWorker(TJob& job, std::unique_ptr<TJobRunLock> lock,
                       std::function<void(const std::function<void()>& releaseLock)> run);

class TBackupRunSteps
{
public:
    explicit TBackupRunSteps(TJob& job) : job(job) {}
    TBackupRunSteps(const TBackupRunSteps&) = delete;
    TBackupRunSteps& operator=(const TBackupRunSteps&) = delete;

    // Remembers the start time, adds "Starting the backup." to the history, connects to the storage,
    // checks that a local destination is still on the drive of the earlier backups and makes sure the
    // job's log folder exists. Returns the storage folder; empty when the connection failed or the
    // destination was refused, with its error text in `errorText`.
    QString Open(QString& errorText);
    // The first steps of a connected run: the job's temporary files go, its temporary folder is made,
    // and the byte and file counts start at 0.
    void PrepareConnected();
    // The last steps of a connected run: the drive of a run that was not cancelled is remembered,
    // `closingLine` and "Removing the temporary files." end the log, the temporary files go, the
    // storage is disconnected and the log is saved.
    void CloseConnected(const QString& closingLine);
    // The ending of a run that could not connect: "Backup is cancelled." in the log, and with the
    // error text in the history and the events log; the log is saved and the run counts as
    // cancelled. Temporary files and the connection are not touched.
    void ConnectionFailed(const QString& errorText);
    // The end time, the job file (unless the program is ending), `beforeIdle`, and last of all the
    // job idle: from then on it may be edited, started again or deleted.
    void Finish(const std::function<void()>& beforeIdle);

    const QDateTime& startTime() const { return start; }

private:
    QString T(const char* text) const;

    TJob& job;
    QDateTime start;
};
