#include "scheduler/RunControl.h"
#include "unit/scheduler/SchedulerHarness.h"

#include <gtest/gtest.h>

namespace {

class SchedulerTickTest : public testing::Test
{
protected:
    void SetUp() override { ResetSchedulerGlobals(); }
    void TearDown() override
    {
        Clock::resetTestTime();
        ResetSchedulerGlobals();
    }
    TSchedulerHarness h;
};

TEST_F(SchedulerTickTest, DueStartIsMadeInTheFirstTickAndMissedFromFiveSecondsLate)
{
    const struct
    {
        int msecsAfter;
        bool missedStartsRun;
        bool started;
    } cases[] = {
        {0, false, false}, // at the exact moment the start is not yet past
        {1, false, true},     {500, false, true},
        {4999, false, true},  {5000, false, false}, // five whole seconds late: missed
        {7000, false, false}, {7000, true, true},
    };
    for (const auto& c : cases) {
        ResetSchedulerGlobals();
        TSchedulerHarness run;
        TJob& job = run.addFiles("Documents");
        job.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = c.missedStartsRun;
        run.tickAt(Monday(10, 0, 0).addMSecs(c.msecsAfter));
        EXPECT_EQ(run.Runs.Started.size(), c.started ? 1 : 0)
            << c.msecsAfter << " ms, option " << c.missedStartsRun;
        EXPECT_EQ(job.JobStatus.load(), c.started ? jsRunning : jsNone) << c.msecsAfter;
    }
}

TEST_F(SchedulerTickTest, MissedStartsRunOnceWhenTheOptionIsOn)
{
    TJob& late = h.addFiles("Late", {"10:00:00", "11:00:00", "12:00:00"});
    late.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = true;
    TJob& skipped = h.addFiles("Skipped", {"10:00:00", "11:00:00", "12:00:00"});

    // The computer was off from 9:00 to 13:00; the program starts at 13:00:30.
    h.tickAt(Monday(13, 0, 30));
    EXPECT_EQ(h.Runs.Started, QStringList{"Late"});
    EXPECT_EQ(skipped.JobStatus.load(), jsNone);
    h.Runs.finish(late);
    for (int s = 31; s < 40; ++s)
        h.tickAt(Monday(13, 0, s));
    EXPECT_EQ(h.Runs.Started, QStringList{"Late"}) << "several missed starts give one run";
    h.tickAt(Monday(14, 0, 1));
    EXPECT_EQ(h.Runs.Started, (QStringList{"Late"})) << "no 14:00 in the timetable";
}

TEST_F(SchedulerTickTest, ScheduleSavedAtOrAfterAStartDoesNotMakeIt)
{
    const struct
    {
        QDateTime saved;
        bool started;
    } cases[] = {
        {Monday(10, 0, 2), false},
        {Monday(10, 0, 0), false}, // saved at the very moment: at or after counts
        {Monday(9, 59, 59, 999), true},
    };
    for (const auto& c : cases) {
        ResetSchedulerGlobals();
        TSchedulerHarness run;
        TJob& job = run.addFiles("Documents", {"10:00:00"});
        job.SchedulingSettings.LastModificationDateTime = DateTimeFromQDateTime(c.saved);
        run.tickAt(Monday(10, 0, 3));
        EXPECT_EQ(run.Runs.Started.size(), c.started ? 1 : 0) << qPrintable(c.saved.toString());
    }
}

TEST_F(SchedulerTickTest, OneJobAtATimeRunsWaitingJobsInListOrderAndAPausedJobBlocks)
{
    GlobalOptions.Processing.RunOnlyOneJobAtATime = true;
    TJob& a = h.addFiles("A");
    TJob& b = h.addFiles("B");
    TJob& c = h.addFiles("C");
    TRunControl control(h.Scheduler);

    h.tickAt(Monday(10, 0, 1));
    EXPECT_EQ(h.Runs.Started, QStringList{"A"});
    EXPECT_EQ(b.JobStatus.load(), jsWaiting);
    EXPECT_EQ(c.JobStatus.load(), jsWaiting);

    ASSERT_EQ(control.ActionPauseExecute(&a), rcDone);
    ASSERT_EQ(a.JobStatus.load(), jsPaused);
    h.tickAt(Monday(10, 0, 20));
    EXPECT_EQ(h.Runs.Started, QStringList{"A"}) << "a paused job still counts as running";

    ASSERT_EQ(control.ActionResumeExecute(&a), rcDone);
    h.Runs.finish(a);
    h.tickAt(Monday(10, 1, 0)); // long after the start: waiting jobs are not "missed"
    EXPECT_EQ(h.Runs.Started, (QStringList{"A", "B"}));
    EXPECT_EQ(c.JobStatus.load(), jsWaiting);
    h.tickAt(Monday(10, 1, 1));
    EXPECT_EQ(h.Runs.Started, (QStringList{"A", "B"}));

    h.Runs.finish(b);
    h.tickAt(Monday(10, 2, 0));
    EXPECT_EQ(h.Runs.Started, (QStringList{"A", "B", "C"}));
    h.Runs.finish(c);
    h.tickAt(Monday(10, 3, 0));
    EXPECT_EQ(h.Runs.Started.size(), 3);
}

TEST_F(SchedulerTickTest, DriveImageJobWaitsUntilNoFilesJobRuns)
{
    TJob& first = h.addFiles("First");
    TJob& image = h.addImage("System");
    TJob& second = h.addFiles("Second");

    h.tickAt(Monday(10, 0, 1));
    EXPECT_EQ(h.Runs.Started, (QStringList{"First", "Second"})) << "a job started earlier in the tick counts";
    EXPECT_EQ(image.JobStatus.load(), jsWaiting);

    h.Runs.finish(first);
    h.tickAt(Monday(10, 0, 2));
    EXPECT_EQ(image.JobStatus.load(), jsWaiting);

    h.Runs.finish(second);
    h.tickAt(Monday(10, 5, 0));
    EXPECT_EQ(h.Runs.Started, (QStringList{"First", "Second", "System"}));
    EXPECT_TRUE(h.Elevation.Requests.isEmpty()) << "this instance is elevated";
}

TEST_F(SchedulerTickTest, CancelledWaitingJobIsNotMadeDueAgainBySameStart)
{
    GlobalOptions.Processing.RunOnlyOneJobAtATime = true;
    TJob& a = h.addFiles("A");
    TJob& b = h.addFiles("B");
    b.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = true;
    TRunControl control(h.Scheduler);

    h.tickAt(Monday(10, 0, 1));
    ASSERT_EQ(b.JobStatus.load(), jsWaiting);
    Clock::setTestTime(Monday(10, 0, 2));
    ASSERT_EQ(control.ActionCancelExecute(&b), rcDone);
    EXPECT_EQ(b.JobStatus.load(), jsNone);
    EXPECT_EQ(b.LastJobResult.StartTime.load(), DateTimeFromQDateTime(Monday(10, 0, 2)));
    EXPECT_EQ(b.LastJobResult.EndTime.load(), b.LastJobResult.StartTime.load());

    h.tickAt(Monday(10, 0, 3));
    EXPECT_EQ(b.JobStatus.load(), jsNone);
    h.Runs.finish(a);
    h.tickAt(Monday(10, 0, 4));
    h.tickAt(Monday(10, 0, 5));
    EXPECT_EQ(h.Runs.Started, QStringList{"A"});
}

TEST_F(SchedulerTickTest, ShutdownIsArmedOnlyByTheLastTimetableStartAndWaitsForEveryJob)
{
    TJob& job = h.addFiles("Evening", {"08:00:00", "20:00:00"});
    job.SchedulingSettings.ShutdownPCInTheEnd = true;
    TJob& other = h.addFiles("Other", {"20:00:00"});
    h.Scheduler.enableTimer();

    h.tickAt(Monday(8, 0, 1));
    ASSERT_EQ(job.JobStatus.load(), jsRunning);
    EXPECT_FALSE(h.Scheduler.ShutdownPending);
    h.Runs.finish(job);
    h.tickAt(Monday(8, 0, 2));
    EXPECT_FALSE(h.Scheduler.shutdownCountdown().isOpen());

    h.tickAt(Monday(20, 0, 1));
    ASSERT_EQ(job.JobStatus.load(), jsRunning);
    EXPECT_TRUE(h.Scheduler.ShutdownPending);
    h.Runs.finish(job);
    h.tickAt(Monday(20, 0, 2));
    EXPECT_FALSE(h.Scheduler.shutdownCountdown().isOpen()) << "another job still runs";
    EXPECT_TRUE(h.Scheduler.isTimerEnabled());

    h.Runs.finish(other);
    h.tickAt(Monday(20, 0, 3));
    EXPECT_TRUE(h.Scheduler.shutdownCountdown().isOpen());
    EXPECT_EQ(h.Scheduler.shutdownCountdown().secondsLeft(), 60);
    EXPECT_FALSE(h.Scheduler.isTimerEnabled());
}

TEST_F(SchedulerTickTest, SleepIsBlockedWhileWorkRunsAndReleasedAfter)
{
    TJob& job = h.addFiles("Documents");
    h.tickAt(Monday(9, 0, 0));
    EXPECT_FALSE(h.Sleep.Busy) << "the option is off: a start within a day does not block sleep";

    h.tickAt(Monday(10, 0, 1));
    EXPECT_TRUE(h.Sleep.Busy);
    EXPECT_TRUE(h.Scheduler.SleepPrevented);
    h.tickAt(Monday(10, 0, 2));
    EXPECT_EQ(h.Sleep.BusyRequests, 1) << "asked once, not every tick";

    h.Runs.finish(job);
    h.tickAt(Monday(10, 0, 3));
    EXPECT_FALSE(h.Sleep.Busy);
    EXPECT_FALSE(h.Scheduler.SleepPrevented);
    EXPECT_EQ(h.Sleep.IdleRequests, 1);

    // With the option on, a start within a day keeps the computer awake after the run.
    GlobalOptions.General.BlockSleepModeifJobIsScheduled = true;
    h.tickAt(Monday(10, 0, 4));
    EXPECT_TRUE(h.Sleep.Busy);
    job.SchedulingSettings.SchedulingType = stDisabled;
    h.tickAt(Monday(10, 0, 5));
    EXPECT_FALSE(h.Sleep.Busy) << "nothing scheduled within a day";
}

TEST_F(SchedulerTickTest, DriveImageJobIsHandedToAnElevatedInstance)
{
    ElevatedInstance.store(false);
    int closes = 0;
    int refreshes = 0;
    h.Scheduler.Callbacks.CloseMainWindow = [&] { ++closes; };
    h.Scheduler.Callbacks.Refresh = [&](const TTickCounts&) { ++refreshes; };
    h.Scheduler.enableTimer();
    TJob& image = h.addImage("System");
    h.Elevation.Accept = true;

    h.tickAt(Monday(10, 0, 1));
    ASSERT_EQ(h.Elevation.Requests.size(), 1);
    EXPECT_EQ(h.Elevation.Requests.first(), (QStringList{"/backup", "System"}));
    EXPECT_TRUE(AppTerminating.load());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(refreshes, 0) << "the tick ends at once";
    EXPECT_FALSE(h.Scheduler.isTimerEnabled());
    EXPECT_TRUE(h.Runs.Started.isEmpty());
    EXPECT_EQ(image.JobStatus.load(), jsWaiting);
}

TEST_F(SchedulerTickTest, RefusedHandOverRunsTheDriveImageJobHere)
{
    ElevatedInstance.store(false);
    h.Scheduler.enableTimer();
    h.addImage("System");
    h.Elevation.Accept = false;

    h.tickAt(Monday(10, 0, 1));
    EXPECT_EQ(h.Elevation.Requests.size(), 1);
    EXPECT_EQ(h.Runs.Started, QStringList{"System"});
    EXPECT_TRUE(h.Scheduler.isTimerEnabled());
    EXPECT_FALSE(AppTerminating.load());
}

TEST_F(SchedulerTickTest, ScheduledDriveImageJobAsksForOneElevatedRestart)
{
    const struct
    {
        bool hidden;
        bool accept;
        QStringList arguments;
    } cases[] = {
        {false, false, {"/admin"}},
        {true, false, {"/admin", "/hide"}},
        {false, true, {"/admin"}},
    };
    for (const auto& c : cases) {
        ResetSchedulerGlobals();
        ElevatedInstance.store(false);
        TSchedulerHarness run;
        int closes = 0;
        run.Scheduler.Callbacks.CloseMainWindow = [&] { ++closes; };
        run.Scheduler.StartedHidden = c.hidden;
        run.Scheduler.enableTimer();
        run.addFiles("Documents");
        run.addImage("System", {"22:00:00"});
        run.Elevation.Accept = c.accept;

        run.tickAt(Monday(9, 0, 0));
        ASSERT_EQ(run.Elevation.Requests.size(), 1);
        EXPECT_EQ(run.Elevation.Requests.first(), c.arguments);
        EXPECT_TRUE(ElevatedInstance.load());
        EXPECT_EQ(AppTerminating.load(), c.accept);
        EXPECT_EQ(closes, c.accept ? 1 : 0);
        EXPECT_EQ(run.Scheduler.isTimerEnabled(), !c.accept);

        AppTerminating.store(false);
        run.tickAt(Monday(9, 0, 1));
        EXPECT_EQ(run.Elevation.Requests.size(), 1) << "never asked twice";
    }

    // A disabled drive image job needs no rights; neither does one while a job runs.
    ResetSchedulerGlobals();
    ElevatedInstance.store(false);
    TSchedulerHarness idle;
    idle.addImage("System").SchedulingSettings.SchedulingType = stDisabled;
    idle.tickAt(Monday(9, 0, 0));
    EXPECT_TRUE(idle.Elevation.Requests.isEmpty());
}

TEST_F(SchedulerTickTest, ReenteredOrTerminatingTickDoesNothing)
{
    TJob& job = h.addFiles("Documents");
    h.Scheduler.TickInProgress = true;
    h.tickAt(Monday(10, 0, 1));
    EXPECT_EQ(job.JobStatus.load(), jsNone);
    EXPECT_TRUE(h.Scheduler.TickInProgress) << "the outer tick clears it, not the re-entered one";

    h.Scheduler.TickInProgress = false;
    AppTerminating.store(true);
    h.tickAt(Monday(10, 0, 2));
    EXPECT_EQ(job.JobStatus.load(), jsNone);

    AppTerminating.store(false);
    h.tickAt(Monday(10, 0, 3));
    EXPECT_EQ(job.JobStatus.load(), jsRunning);
    EXPECT_FALSE(h.Scheduler.TickInProgress);
}

TEST_F(SchedulerTickTest, RefreshGetsTheCountsAndEventsReachThePanel)
{
    TJob& running = h.addFiles("Running");
    TJob& cancelled = h.addFiles("Cancelled", {"23:00:00"});
    cancelled.LastJobResult.Cancelled.store(true);
    h.addFiles("Idle", {"23:00:00"});
    QList<TTickCounts> seen;
    h.Scheduler.Callbacks.Refresh = [&](const TTickCounts& counts) { seen.append(counts); };

    h.tickAt(Monday(10, 0, 1));
    h.tickAt(Monday(10, 0, 2));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].Jobs, 3);
    EXPECT_EQ(seen[0].Running, 0) << "counted before the due jobs start";
    EXPECT_EQ(seen[0].Cancelled, 1);
    EXPECT_EQ(seen[1].Running, 1);
    ASSERT_EQ(h.Scheduler.EventsPanel.Lines.size(), 1);
    EXPECT_TRUE(h.Scheduler.EventsPanel.Lines.first().endsWith(": Starting the \"Running\" backup."));
    h.Runs.finish(running);
}

} // namespace
