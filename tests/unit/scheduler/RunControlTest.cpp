#include "scheduler/RunControl.h"
#include "unit/scheduler/SchedulerHarness.h"

#include <gtest/gtest.h>

namespace {

class RunControlTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ResetSchedulerGlobals();
        Clock::setTestTime(Monday(12, 0));
    }
    void TearDown() override
    {
        Clock::resetTestTime();
        ResetSchedulerGlobals();
    }
    TSchedulerHarness h;
    TRunControl control{h.Scheduler};
};

using Action = TRunControlResult (TRunControl::*)(TJob*);

TEST_F(RunControlTest, EachActionMovesOnlyTheStatusesItApplies)
{
    const struct
    {
        const char* name;
        Action action;
        TJobStatus from;
        TJobStatus to;
        TRunControlResult result;
    } cases[] = {
        {"Backup", &TRunControl::ActionBackupExecute, jsNone, jsWaiting, rcDone},
        {"Backup", &TRunControl::ActionBackupExecute, jsWaiting, jsWaiting, rcRefused},
        {"Backup", &TRunControl::ActionBackupExecute, jsRunning, jsRunning, rcRefused},
        {"Backup", &TRunControl::ActionBackupExecute, jsPaused, jsPaused, rcRefused},
        {"Backup", &TRunControl::ActionBackupExecute, jsCancelling, jsCancelling, rcRefused},
        {"Pause", &TRunControl::ActionPauseExecute, jsRunning, jsPaused, rcDone},
        {"Pause", &TRunControl::ActionPauseExecute, jsWaiting, jsWaiting, rcDone},
        {"Pause", &TRunControl::ActionPauseExecute, jsNone, jsNone, rcDone},
        {"Resume", &TRunControl::ActionResumeExecute, jsPaused, jsRunning, rcDone},
        {"Resume", &TRunControl::ActionResumeExecute, jsNone, jsNone, rcDone},
        {"Resume", &TRunControl::ActionResumeExecute, jsCancelling, jsCancelling, rcDone},
        {"Cancel", &TRunControl::ActionCancelExecute, jsWaiting, jsNone, rcDone},
        {"Cancel", &TRunControl::ActionCancelExecute, jsRunning, jsCancelling, rcDone},
        {"Cancel", &TRunControl::ActionCancelExecute, jsPaused, jsCancelling, rcDone},
        {"Cancel", &TRunControl::ActionCancelExecute, jsNone, jsNone, rcDone},
        {"Cancel", &TRunControl::ActionCancelExecute, jsCancelling, jsCancelling, rcDone},
    };
    for (const auto& c : cases) {
        TJob_FilesAndFolders job("Documents");
        job.JobStatus.store(c.from);
        EXPECT_EQ((control.*c.action)(&job), c.result) << c.name << " from " << c.from;
        EXPECT_EQ(job.JobStatus.load(), c.to) << c.name << " from " << c.from;
        EXPECT_EQ(job.CancelCurrentFileOperation.load() != 0, c.to == jsCancelling && c.from != jsCancelling)
            << c.name << " from " << c.from;
        EXPECT_EQ((control.*c.action)(nullptr), rcNoSelection) << c.name;
    }
}

TEST_F(RunControlTest, PauseIsRefusedByAJobThatCannotPause)
{
    TJob_DriveImage image("System");
    ASSERT_FALSE(image.CanPause);
    image.JobStatus.store(jsRunning);
    EXPECT_EQ(control.ActionPauseExecute(&image), rcDone);
    EXPECT_EQ(image.JobStatus.load(), jsRunning);
}

TEST_F(RunControlTest, EveryActionIsRefusedWhileATickIsInProgress)
{
    TJob& idle = h.addFiles("Idle");
    TJob& running = h.addFiles("Running");
    TJob& paused = h.addFiles("Paused");
    running.JobStatus.store(jsRunning);
    paused.JobStatus.store(jsPaused);
    h.Scheduler.TickInProgress = true;

    EXPECT_EQ(control.ActionBackupExecute(&idle), rcRefused);
    EXPECT_EQ(control.ActionPauseExecute(&running), rcRefused);
    EXPECT_EQ(control.ActionResumeExecute(&paused), rcRefused);
    EXPECT_EQ(control.ActionCancelExecute(&running), rcRefused);
    control.ActionPauseAllExecute();
    control.ActionCancelAllExecute();
    EXPECT_EQ(idle.JobStatus.load(), jsNone);
    EXPECT_EQ(running.JobStatus.load(), jsRunning);
    EXPECT_EQ(paused.JobStatus.load(), jsPaused);
    EXPECT_EQ(RunControlTest::control.RefusalText(),
              "Unable to complete the action at the moment. Please try again in several seconds.");
    h.Scheduler.TickInProgress = false;
}

TEST_F(RunControlTest, PauseAllAndCancelAllWorkOnEveryJobInOrder)
{
    TJob& waiting = h.addFiles("Waiting");
    TJob& running = h.addFiles("Running");
    TJob& other = h.addFiles("Other");
    TJob& idle = h.addFiles("Idle");
    waiting.JobStatus.store(jsWaiting);
    running.JobStatus.store(jsRunning);
    other.JobStatus.store(jsRunning);

    control.ActionPauseAllExecute();
    EXPECT_EQ(waiting.JobStatus.load(), jsWaiting);
    EXPECT_EQ(running.JobStatus.load(), jsPaused);
    EXPECT_EQ(other.JobStatus.load(), jsPaused);

    EventsQueue().takeAll();
    control.ActionCancelAllExecute();
    EXPECT_EQ(waiting.JobStatus.load(), jsNone);
    EXPECT_EQ(running.JobStatus.load(), jsCancelling);
    EXPECT_EQ(other.JobStatus.load(), jsCancelling);
    EXPECT_EQ(idle.JobStatus.load(), jsNone);
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].endsWith(": Cancelling (Running)"));
    EXPECT_TRUE(events[1].endsWith(": Cancelling (Other)"));
}

TEST_F(RunControlTest, BackupOnARunningJobIsRefusedAndOnAnIdleJobStartsItAtTheNextTick)
{
    TJob& job = h.addFiles("Documents", {"23:00:00"});
    ASSERT_EQ(control.ActionBackupExecute(&job), rcDone);
    h.tickAt(Monday(12, 0, 1));
    EXPECT_EQ(h.Runs.Started, QStringList{"Documents"});
    EXPECT_EQ(control.ActionBackupExecute(&job), rcRefused);

    ASSERT_EQ(control.ActionCancelExecute(&job), rcDone);
    TTestRunStarter::waitIdle(job);
    EXPECT_TRUE(job.LastJobResult.Cancelled.load());
    h.tickAt(Monday(12, 0, 2));
    EXPECT_EQ(h.Runs.Started, QStringList{"Documents"});
}

} // namespace
