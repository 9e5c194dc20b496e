#pragma once
// The bookkeeping that opens and closes every run of a job, backup or restore: at the start the start
// time, the connection, the log folder and the temporary folder; at the end the cancelled ending, the
// temporary files, the disconnection, the saved log, the end time, the job file and the idle job.
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class TJob;
class TJobRunLock;

enum TRunKind
{
    rkBackup,
    rkRestore,
    rkVerify
};

// A fresh result for a run that starts now: its start time, no end, no counts, an empty log.
void ResetRunResult(TJob& job);

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

// The line of hyphens that sets the sections of a backup run's log apart, and its logging.
QString RunSeparatorText();
void LogSeparatorLine(TJob& job);

class TRunLifecycle
{
public:
    explicit TRunLifecycle(TJob& job, TRunKind kind = rkBackup) : job(job), kind(kind) {}
    TRunLifecycle(const TRunLifecycle&) = delete;
    TRunLifecycle& operator=(const TRunLifecycle&) = delete;

    // The start of a backup: remembers the start time, adds "Starting the backup." to the history,
    // connects to the storage, checks that a local destination is still on the drive of the earlier
    // backups and makes sure the job's log folder exists. Returns the storage folder; empty when the
    // connection failed or the destination was refused, with its error text in `errorText`.
    QString Open(QString& errorText);
    // Remembers the start time, which names the run's log file.
    void Start();
    // Makes sure the job's log folder exists; the events log says why when it cannot be made.
    void EnsureLogFolder();
    // Connects to the storage. Returns the storage folder; empty when not connected, with the error
    // line ("ERROR:" and the reason) in `errorLine` when the connection failed.
    QString Connect(QString& errorLine);
    // The first steps of a connected backup: the job's temporary files go, its temporary folder is
    // made, and the byte and file counts start at 0.
    void PrepareConnected();
    // The ending of a cancelled run: "Backup is cancelled." (or "Restore is cancelled.", "Verification
    // is cancelled.") in the log,
    // the events log and the history; the run counts as cancelled.
    void Cancelled();
    // The last steps of a run that reached the storage: the drive of a backup that was not cancelled
    // is remembered, "Removing the temporary files." ends the log, the temporary files go, the
    // storage is disconnected and the log is saved.
    void CloseConnected();
    // The ending of a backup that could not connect: "Backup is cancelled." in the log, and with the
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
    TRunKind kind;
    QDateTime start;
};
