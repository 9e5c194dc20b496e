#pragma once
// The scheduler tick: once a second on the main thread it makes due jobs waiting, starts waiting jobs,
// hands drive image jobs to an elevated instance, flushes the events feed, refreshes the window,
// arms the end-of-run shutdown and keeps the computer awake while work runs or is near.
#include "events/EventsLog.h"
#include "scheduler/JobFileWatch.h"

#include <QList>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class TElevation;
class TJob;
class TJobCatalogue;
class TPowerControl;
class TRunStarter;
class TShutdownCountdown;
class TSleepInhibitor;
struct TScheduleMoment;

// The status bar counts of one tick.
struct TTickCounts
{
    int Jobs = 0;
    int Running = 0; // running, cancelling or paused
    int Cancelled = 0;
};

// What the tick asks of the window (or of the command-line front end). Unset callbacks are skipped.
struct TSchedulerCallbacks
{
    // Moves queued events to where they are shown; unset: into TScheduler::EventsPanel.
    std::function<void()> FlushEvents;
    // Repaints the job list, the command states and the status bar.
    std::function<void(const TTickCounts&)> Refresh;
    // Closes the main window after AppTerminating was set for an elevated instance.
    std::function<void()> CloseMainWindow;
};

class TScheduler
{
public:
    static constexpr int kTimerIntervalMsecs = 1000;
    // A scheduled start found this many whole seconds late is missed (unless the job runs missed starts).
    static constexpr qint64 kMissedStartSeconds = 5;

    TScheduler(TJobCatalogue& jobs, TRunStarter& runs, TSleepInhibitor& sleep, TElevation& elevation,
               TPowerControl& power);
    ~TScheduler();
    TScheduler(const TScheduler&) = delete;
    TScheduler& operator=(const TScheduler&) = delete;

    // The tick.
    void TimerSchedulerTimer();

    // The one-second timer that calls the tick; off until enabled.
    void enableTimer();
    void disableTimer();
    bool isTimerEnabled() const;

    TJobCatalogue& catalogue() const { return jobs; }
    TShutdownCountdown& shutdownCountdown() const { return *countdown; }
    // The counts of the last completed tick.
    const TTickCounts& lastCounts() const { return counts; }

    TSchedulerCallbacks Callbacks;
    // The instance was started with the switch "hide"; an elevated restart keeps it.
    bool StartedHidden = false;

    // Set while a tick runs: a re-entered tick does nothing and run-control actions refuse.
    bool TickInProgress = false;
    // A job started by its schedule asked for the computer to be turned off when all jobs are done.
    bool ShutdownPending = false;
    // The system is currently asked not to sleep.
    bool SleepPrevented = false;
    // Where queued events go when Callbacks.FlushEvents is unset.
    TEventsPanel EventsPanel;

private:
    void runTick();
    void makeDueWhenScheduled(TJob& job, const TScheduleMoment& now);
    // Starts the due jobs; true when the tick has to end because an elevated instance took over.
    bool startDueJobs();
    bool startDueJob(int index);
    bool handOverToElevatedInstance(TJob& job);
    bool allJobsIdle() const;
    void blockSleep(bool needed);
    bool restartElevated();

    TJobCatalogue& jobs;
    TRunStarter& runs;
    TSleepInhibitor& sleep;
    TElevation& elevation;
    QTimer timer;
    std::unique_ptr<TShutdownCountdown> countdown;
    TTickCounts counts;
    // List positions of the waiting jobs of the current tick, in list order.
    QList<int> dueJobs;
    // Job files changed by another process are taken in before each tick looks at the schedules.
    TJobFileWatch fileWatch;
};
