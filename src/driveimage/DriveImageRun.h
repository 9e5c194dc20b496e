#pragma once
// One backup run of a drive image job: the image tool runs as a child process while its output is
// read into the job, then old versions are cleaned up and the job's files and logs are written. It
// runs on the job's worker thread and reports only through the job's fields and the events log.
#include "jobs/uJob_DriveImage.h"
#include "operations/RunLifecycle.h"

#include <QDateTime>
#include <QString>

#include <functional>

class TChildProcess;
class TImageToolOutputReader;

class TDriveImageRun
{
public:
    // How often the tool's output is looked at while it runs.
    static constexpr int kPollMsecs = 100;
    // How long a cancelled run waits for the tool to remove its unfinished version and end.
    static constexpr int kStopWaitMsecs = 60000;

    explicit TDriveImageRun(TJob_DriveImage& job) : job(job) {}
    TDriveImageRun(const TDriveImageRun&) = delete;
    TDriveImageRun& operator=(const TDriveImageRun&) = delete;

    // The whole run (BackupInThread); ends with the job idle.
    void Run();
    // Called right before the job goes idle (the starter releases the job's run lock there).
    void setBeforeIdle(std::function<void()> hook) { beforeIdle = std::move(hook); }

private:
    void runConnected();
    void runTool();
    void watchTool(TChildProcess& tool, TImageToolOutputReader& output);
    void stopTool(TChildProcess& tool);
    void checkToolEnding(const TChildProcess& tool, qint32 errorsBefore);
    void afterTool();
    void cancelledEnding();
    void closeConnectedRun();

    bool isCancelling() const { return job.JobStatus.load() == jsCancelling; }
    QString T(const char* text) const { return job.Translate(QString::fromUtf8(text)); }

    TJob_DriveImage& job;
    TRunLifecycle lifecycle{job};
    QString storageFolder;
    QString startedVariant; // the way the tool was started; empty when it never was
    bool endedCancelled = false;
    std::function<void()> beforeIdle;
};
