#include "scheduler/Scheduler.h"

#include "base/AppState.h"
#include "jobs/JobCatalogue.h"
#include "options/uOptions.h"
#include "platform/Elevation.h"
#include "platform/SleepInhibitor.h"
#include "scheduler/RunStarter.h"
#include "scheduler/Schedule.h"
#include "scheduler/ShutdownCountdown.h"
#include "scheduler/Timetable.h"

#include <QScopeGuard>

namespace {

bool countsAsRunning(TJobStatus status)
{
    return status == jsRunning || status == jsCancelling || status == jsPaused;
}

bool isDriveImageJob(const TJob& job)
{
    return job.Kind() == jkDriveImage;
}

} // namespace

TScheduler::TScheduler(TJobCatalogue& jobs, TRunStarter& runs, TSleepInhibitor& sleep, TElevation& elevation,
                       TPowerControl& power)
    : jobs(jobs), runs(runs), sleep(sleep), elevation(elevation),
      countdown(std::make_unique<TShutdownCountdown>(*this, power))
{
    timer.setInterval(kTimerIntervalMsecs);
    QObject::connect(&timer, &QTimer::timeout, [this] { TimerSchedulerTimer(); });
}

TScheduler::~TScheduler() = default;

void TScheduler::enableTimer()
{
    if (!timer.isActive())
        timer.start();
}

void TScheduler::disableTimer()
{
    timer.stop();
}

bool TScheduler::isTimerEnabled() const
{
    return timer.isActive();
}

void TScheduler::TimerSchedulerTimer()
{
    // A tick re-entered while an elevation prompt processes messages does nothing.
    if (TickInProgress || AppTerminating.load())
        return;
    TickInProgress = true;
    const auto clear = qScopeGuard([this] { TickInProgress = false; });
    runTick();
}

void TScheduler::runTick()
{
    fileWatch.TakeChangedSettings(jobs);
    const TScheduleMoment now = TScheduleMoment::current();
    TTickCounts tick;
    bool scheduledSoon = false;
    bool needsElevation = false;
    dueJobs.clear();
    for (int i = 0; i < jobs.count(); ++i) {
        TJob& job = *jobs.at(i);
        const TSchedulingSettings& schedule = job.SchedulingSettings;
        ++tick.Jobs;
        if (!scheduledSoon)
            scheduledSoon = IsScheduledXDaysFrom(schedule, 1, now);
        if (!ElevatedInstance.load() && !needsElevation)
            needsElevation = isDriveImageJob(job) && schedule.SchedulingType != stDisabled;
        if (countsAsRunning(job.JobStatus.load()))
            ++tick.Running;
        else if (schedule.SchedulingType != stDisabled)
            makeDueWhenScheduled(job, now);
        // Also takes in jobs made waiting by the user, the command line or the wizards.
        if (job.JobStatus.load() == jsWaiting)
            dueJobs.append(i);
        if (job.LastJobResult.Cancelled.load())
            ++tick.Cancelled;
    }

    if (startDueJobs())
        return;

    if (Callbacks.FlushEvents)
        Callbacks.FlushEvents();
    else
        FlushEventsToLog(EventsPanel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    counts = tick;
    if (Callbacks.Refresh)
        Callbacks.Refresh(counts);

    if (ShutdownPending && allJobsIdle()) {
        disableTimer();
        if (!countdown->isOpen())
            countdown->open();
    }

    const bool active = tick.Running > 0 || !dueJobs.isEmpty();
    const bool near = scheduledSoon && GlobalOptions.General.BlockSleepModeifJobIsScheduled;
    blockSleep(active || near);

    if (!ElevatedInstance.load() && needsElevation && !jobs.IsSomeJobRunning() && dueJobs.isEmpty())
        restartElevated();
}

void TScheduler::makeDueWhenScheduled(TJob& job, const TScheduleMoment& now)
{
    const TSchedulingSettings& schedule = job.SchedulingSettings;
    const std::optional<TScheduleMoment> start = NearestPastStart(schedule, now);
    // Without a past start every modification time is later: never due by time.
    if (!start)
        return;
    const TDateTime startValue = start->toDateTime();
    // The schedule was saved at or after this start: it does not count.
    if (schedule.LastModificationDateTime >= startValue)
        return;
    // The start has been made (or the waiting job was cancelled since).
    if (startValue <= job.LastJobResult.StartTime.load())
        return;
    const qint64 secondsLate = (now.totalMsecs() - start->totalMsecs()) / 1000;
    if (!schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed && secondsLate >= kMissedStartSeconds)
        return;
    job.JobStatus.store(jsWaiting);
    // Only the start for the day's last timetable time arms the shutdown.
    if (!ShutdownPending && schedule.ShutdownPCInTheEnd && !schedule.TimeTable.isEmpty()) {
        const std::optional<qint32> last = TimetableEntryMsecs(schedule.TimeTable.last());
        if (last && *last <= now.MsecsOfDay)
            ShutdownPending = true;
    }
}

bool TScheduler::startDueJobs()
{
    if (!GlobalOptions.Processing.RunOnlyOneJobAtATime) {
        for (const int index : std::as_const(dueJobs)) {
            if (startDueJob(index))
                return true;
        }
        return false;
    }
    // One at a time: the waiting job nearest the top, and only when nothing runs (a paused job counts).
    if (dueJobs.isEmpty() || jobs.IsSomeJobRunning())
        return false;
    return startDueJob(dueJobs.first());
}

bool TScheduler::startDueJob(int index)
{
    TJob& job = *jobs.at(index);
    if (job.JobStatus.load() != jsWaiting)
        return false;
    if (!isDriveImageJob(job)) {
        runs.startBackup(job);
        return false;
    }
    // A drive image job waits until no other job runs, including those started in this tick.
    if (jobs.IsSomeJobRunning())
        return false;
    if (ElevatedInstance.load()) {
        runs.startBackup(job);
        return false;
    }
    return handOverToElevatedInstance(job);
}

bool TScheduler::handOverToElevatedInstance(TJob& job)
{
    const bool timerWasEnabled = isTimerEnabled();
    disableTimer();
    if (elevation.StartElevated({QStringLiteral("/backup"), job.stJobName})) {
        // The new instance marks the job waiting at its first show and starts it.
        AppTerminating.store(true);
        if (Callbacks.CloseMainWindow)
            Callbacks.CloseMainWindow();
        return true;
    }
    if (timerWasEnabled)
        enableTimer();
    runs.startBackup(job);
    return false;
}

bool TScheduler::allJobsIdle() const
{
    for (int i = 0; i < jobs.count(); ++i) {
        if (jobs.at(i)->JobStatus.load() != jsNone)
            return false;
    }
    return true;
}

void TScheduler::blockSleep(bool needed)
{
    if (!needed && SleepPrevented) {
        SleepPrevented = false;
        sleep.requestIdle();
    } else if (needed && !SleepPrevented) {
        SleepPrevented = true;
        sleep.requestBusy();
    }
}

bool TScheduler::restartElevated()
{
    const bool timerWasEnabled = isTimerEnabled();
    disableTimer();
    QStringList arguments{QStringLiteral("/admin")};
    if (StartedHidden)
        arguments << QStringLiteral("/hide");
    const bool started = elevation.StartElevated(arguments);
    // Asked once per process, whatever the answer.
    ElevatedInstance.store(true);
    if (started) {
        AppTerminating.store(true);
        if (Callbacks.CloseMainWindow)
            Callbacks.CloseMainWindow();
        return true;
    }
    if (timerWasEnabled)
        enableTimer();
    return false;
}
