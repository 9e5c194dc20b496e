#include "jobs/uJob.h"

#include "i18n/Translate.h"
#include "jobs/JobNames.h"
#include "events/EventsLog.h"
#include "platform/StandardFolders.h"

#include <QMutexLocker>

void TCurrentOperationPath::set(const QString& newPath)
{
    QMutexLocker lock(&mutex);
    path = newPath.left(kMaxUnits);
}

QString TCurrentOperationPath::get() const
{
    QMutexLocker lock(&mutex);
    return path;
}

TJob::TJob(const QString& name) : stJobName(name) {}

TJob::~TJob() = default;

void TJob::OptionsToJobOptions()
{
    // Qt's lists are implicitly shared with atomic reference counts: the copy is independent of any
    // later change to GlobalOptions and safe to read from the worker.
    JobOptions = GlobalOptions;
}

void TJob::Cancel()
{
    TJobStatus status = JobStatus.load();
    if (status == jsWaiting) {
        if (JobStatus.compare_exchange_strong(status, jsNone)) {
            const TDateTime now = Now();
            LastJobResult.StartTime = now;
            LastJobResult.EndTime = now;
            LastJobResult.Log.clear();
        }
        return;
    }
    // The worker may end the run at this very moment: only a job that is still running or paused
    // becomes cancelling, never one that has just gone idle.
    while (status == jsRunning || status == jsPaused) {
        if (JobStatus.compare_exchange_weak(status, jsCancelling)) {
            CancelCurrentFileOperation = -1;
            AddEvent(Translate(QStringLiteral("Cancelling")) + " (" + stJobName + ")");
            return;
        }
    }
}

void TJob::Pause()
{
    if (!CanPause)
        return;
    TJobStatus expected = jsRunning;
    JobStatus.compare_exchange_strong(expected, jsPaused);
}

QString TJob::Translate(const QString& text) const
{
    return TranslateWith(JobOptions.Language, text);
}

QString LocalJobFilePath(const QString& jobName)
{
    return JobNamedPath(StandardFolders::applicationDataFolder(), jobName, QStringLiteral(".obd"));
}
