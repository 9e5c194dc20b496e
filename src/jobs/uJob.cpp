#include "jobs/uJob.h"

#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobNames.h"
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

TJob::~TJob()
{
    // A worker that has just set the job idle may still be inside SetStatus: let it leave first.
    const std::lock_guard lock(statusMutex);
}

void TJob::OptionsToJobOptions()
{
    // Qt's lists are implicitly shared with atomic reference counts: the copy is independent of any
    // later change to GlobalOptions and safe to read from the worker.
    JobOptions = GlobalOptions;
}

void TJob::SetStatus(TJobStatus status)
{
    // Stored and announced under the lock: a waiter cannot miss it between its check and its wait,
    // and the job (which may be deleted once idle) is not touched after the lock is released.
    const std::lock_guard lock(statusMutex);
    JobStatus.store(status);
    statusChanged.notify_all();
}

void TJob::WaitWhilePaused()
{
    if (JobStatus.load() != jsPaused)
        return;
    WaitingWhilePaused = true;
    JobStatus.waitWhile(jsPaused);
    WaitingWhilePaused = false;
}

bool TJob::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(statusMutex);
    return statusChanged.wait_for(lock, timeout, condition);
}

void TJob::Cancel()
{
    std::unique_lock lock(statusMutex);
    TJobStatus status = JobStatus.load();
    if (status == jsWaiting) {
        if (JobStatus.compare_exchange_strong(status, jsNone)) {
            const TDateTime now = Now();
            LastJobResult.StartTime = now;
            LastJobResult.EndTime = now;
            LastJobResult.Log.clear();
            statusChanged.notify_all();
        }
        return;
    }
    if (status != jsRunning && status != jsPaused)
        return;
    // Announced before the status changes: a run that sees the cancel may end at once and report it,
    // and that report must follow this one. The lock keeps the run from going idle meanwhile.
    AddEvent(Translate(QStringLiteral("Cancelling")) + " (" + stJobName + ")");
    // Only a job that is still running or paused becomes cancelling (the run may pause itself, or
    // cancel itself, at this very moment).
    while (status == jsRunning || status == jsPaused) {
        if (JobStatus.compare_exchange_weak(status, jsCancelling)) {
            CancelCurrentFileOperation = -1;
            statusChanged.notify_all();
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
