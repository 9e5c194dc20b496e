#pragma once
// Jobs run the way the program runs them, for the integration tests of backups, restores and drive
// images: fresh options with private temp and log folders, a private source and destination folder
// (or a folder on the SMB test share), runs started and waited for, and the tree and run log read back.
#include "jobs/uJob.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "support/SmbServer.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class JobRunFixture : public ::testing::Test
{
protected:
    // Options of a test run (temp and log folders of the test, no waiting for a missing destination,
    // `logsPerJob` saved logs), the clock standing at `now`, the events queue empty, and new source
    // and destination folders. Derived fixtures call it first in their SetUp.
    void prepareRun(const QDateTime& now, int logsPerJob);
    // Cancels a run still going, waits for it, and puts the clock back.
    void TearDown() override;

    // Points the job at a folder on the SMB test share, which replaces destinationFolder; false (test
    // to be skipped) when smbd cannot run here.
    bool useSmbDestination();

    // Starts a backup as the program does and returns at once.
    void startBackup();
    // Starts a backup and waits until the job is idle; the clock then moves on a minute so that the
    // next run gets its own subfolder and log file.
    void runBackup();
    // Waits up to runTimeoutMs for the job to be idle.
    void waitUntilIdle();
    // Waits up to `timeoutMs` for `condition`; false when it never held.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 60000);

    // The job's folder on the destination.
    QString backupRoot() const;
    // The remote job file on the destination.
    TRemoteBookkeeping storedBookkeeping() const;
    // Every file and folder below `folder`, relative, sorted; folders (not links to folders) carry a
    // trailing "/".
    static QStringList treeOf(const QString& folder);

    QStringList logLines() const { return runJob() ? runJob()->LastJobResult.Log.snapshot() : QStringList(); }
    bool logHas(const QString& text) const { return logCount(text) > 0; }
    int logCount(const QString& text) const;
    // The last line of the run log that contains `text`, or empty.
    QString logLineWith(const QString& text) const;

    // The fixture's job, or null while there is none (a test skipped in SetUp).
    virtual TJob* runJob() const = 0;
    virtual bool startJobBackup() = 0;

    QString sourceRoot;
    QString destinationFolder; // local path of the destination (the share's folder for SMB)
    QString logFolder;
    int runTimeoutMs = 60000;
    static std::unique_ptr<SmbServer> smb;
};

// The fixture for a job of type `Job`, held in `job`.
template <class Job> class JobRunOf : public JobRunFixture
{
protected:
    TJob* runJob() const final { return job.get(); }
    bool startJobBackup() final { return job->Backup(); }

    std::unique_ptr<Job> job;
};
