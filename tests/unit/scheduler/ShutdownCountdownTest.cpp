#include "unit/scheduler/SchedulerHarness.h"

#include <gtest/gtest.h>

namespace {

class ShutdownCountdownTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ResetSchedulerGlobals();
        countdown.Callbacks.Opened = [this] { ++opened; };
        countdown.Callbacks.Changed = [this] { labels.append(countdown.labelText()); };
        countdown.Callbacks.Closed = [this] { ++closed; };
    }
    void TearDown() override { ResetSchedulerGlobals(); }

    // Arms the shutdown as a tick does and opens the countdown.
    void openArmed()
    {
        h.Scheduler.ShutdownPending = true;
        h.Scheduler.disableTimer();
        countdown.open();
    }

    TSchedulerHarness h;
    TShutdownCountdown& countdown = h.Scheduler.shutdownCountdown();
    int opened = 0;
    int closed = 0;
    QStringList labels;
};

TEST_F(ShutdownCountdownTest, CountsDownSixtySecondsThenRequestsThePowerOff)
{
    openArmed();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(countdown.isStepTimerActive());
    EXPECT_EQ(countdown.labelText(),
              "All backup tasks are done. According to the program settings, the computer "
              "will be turned off after 60 seconds.");
    for (int i = 0; i < 60; ++i)
        countdown.step();
    ASSERT_EQ(labels.size(), 60);
    EXPECT_TRUE(labels.first().contains("after 59 seconds."));
    EXPECT_TRUE(labels.last().contains("after 0 seconds."));
    EXPECT_EQ(h.Power.Requests, 0);

    countdown.step();
    EXPECT_EQ(h.Power.Requests, 1);
    EXPECT_TRUE(countdown.powerOffAccepted());
    EXPECT_TRUE(AppTerminating.load());
    EXPECT_FALSE(countdown.isOpen());
    EXPECT_FALSE(countdown.isStepTimerActive());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(h.Scheduler.isTimerEnabled()) << "the program ends with the session";

    countdown.closeByUser();
    EXPECT_TRUE(AppTerminating.load()) << "closing after an accepted request only stops the countdown";
}

TEST_F(ShutdownCountdownTest, ShutdownButtonRequestsThePowerOffAtTheNextStep)
{
    openArmed();
    for (int i = 0; i < 15; ++i)
        countdown.step();
    ASSERT_EQ(countdown.secondsLeft(), 45);
    countdown.shutdownNow();
    EXPECT_EQ(h.Power.Requests, 0);
    countdown.step();
    EXPECT_EQ(h.Power.Requests, 1);
}

TEST_F(ShutdownCountdownTest, CancelCloseBoxAndRefusalAllDisarmAndRestartTheScheduler)
{
    enum How
    {
        Cancel,
        CloseBox,
        Refused
    };
    for (const How how : {Cancel, CloseBox, Refused}) {
        closed = 0;
        openArmed();
        for (int i = 0; i < 20; ++i)
            countdown.step();
        if (how == Cancel) {
            countdown.cancel();
        } else if (how == CloseBox) {
            countdown.closeByUser();
        } else {
            h.Power.Accept = false;
            countdown.shutdownNow();
            countdown.step();
            h.Power.Accept = true;
        }
        EXPECT_FALSE(h.Scheduler.ShutdownPending) << how;
        EXPECT_TRUE(h.Scheduler.isTimerEnabled()) << how;
        EXPECT_FALSE(AppTerminating.load()) << how;
        EXPECT_FALSE(countdown.isOpen()) << how;
        EXPECT_FALSE(countdown.isStepTimerActive()) << how;
        EXPECT_EQ(closed, 1) << how;
    }
    EXPECT_EQ(h.Power.Requests, 1);
}

TEST_F(ShutdownCountdownTest, NextArmedJobOpensTheCountdownAgainWithSixtySeconds)
{
    TJob& job = h.addFiles("Evening", {"20:00:00"});
    job.SchedulingSettings.ShutdownPCInTheEnd = true;
    h.Scheduler.enableTimer();

    h.tickAt(Monday(20, 0, 1));
    h.Runs.finish(job);
    h.tickAt(Monday(20, 0, 2));
    ASSERT_TRUE(countdown.isOpen());
    for (int i = 0; i < 30; ++i)
        countdown.step();
    countdown.cancel();
    h.tickAt(Monday(20, 0, 40));
    EXPECT_FALSE(countdown.isOpen()) << "disarmed";

    // The next day's start arms it again.
    h.tickAt(At(2024, 3, 5, 20, 0, 1));
    h.Runs.finish(job);
    h.tickAt(At(2024, 3, 5, 20, 0, 2));
    EXPECT_TRUE(countdown.isOpen());
    EXPECT_EQ(countdown.secondsLeft(), 60);
    EXPECT_EQ(opened, 2);
    Clock::resetTestTime();
}

} // namespace
