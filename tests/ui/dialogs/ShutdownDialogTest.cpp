#include "ui/dialogs/TfrmPCshutdownDialog.h"

#include "unit/scheduler/SchedulerHarness.h"

#include <gtest/gtest.h>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

class ShutdownDialogTest : public testing::Test
{
protected:
    void SetUp() override { ResetSchedulerGlobals(); }
    void TearDown() override { ResetSchedulerGlobals(); }

    // Arms the shutdown and opens the countdown as the tick does once every job is idle.
    void openArmed()
    {
        h.Scheduler.ShutdownPending = true;
        h.Scheduler.disableTimer();
        countdown.open();
    }
    QString label() { return dialog.findChild<QLabel*>("Label1")->text(); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }

    TSchedulerHarness h;
    TShutdownCountdown& countdown = h.Scheduler.shutdownCountdown();
    TfrmPCshutdownDialog dialog{countdown};
};

TEST_F(ShutdownDialogTest, OpensModelessOnTopAndFollowsTheSteps)
{
    ASSERT_FALSE(dialog.isVisible());
    openArmed();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.windowTitle(), " Warning!");
    EXPECT_EQ(button("btDone")->text(), "Shutdown");
    EXPECT_EQ(button("btCancel")->text(), "Cancel");
    EXPECT_EQ(label(), "All backup tasks are done. According to the program settings, the computer will be "
                       "turned off after 60 seconds.");
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->font().pixelSize(), 19);

    // The countdown's own timer makes the first step.
    EXPECT_TRUE(QTest::qWaitFor([this] { return label().endsWith("after 59 seconds."); }, 5000))
        << label().toStdString();
    for (int i = 0; i < 59; ++i)
        countdown.step();
    EXPECT_TRUE(label().endsWith("after 0 seconds."));
    EXPECT_EQ(h.Power.Requests, 0);

    // The request is accepted: the dialog goes, and its close box afterwards changes nothing.
    countdown.step();
    EXPECT_EQ(h.Power.Requests, 1);
    EXPECT_FALSE(dialog.isVisible());
    dialog.close();
    EXPECT_TRUE(AppTerminating.load());
    EXPECT_FALSE(h.Scheduler.isTimerEnabled());
}

TEST_F(ShutdownDialogTest, ShutdownAtFortyFiveSecondsLeftRequestsThePowerOffAtTheNextStep)
{
    openArmed();
    for (int i = 0; i < 15; ++i)
        countdown.step();
    ASSERT_TRUE(label().endsWith("after 45 seconds."));
    button("btDone")->click();
    EXPECT_EQ(h.Power.Requests, 0);
    EXPECT_TRUE(dialog.isVisible());
    countdown.step();
    EXPECT_EQ(h.Power.Requests, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ShutdownDialogTest, CancelCloseBoxAndEscapeDisarmRestartTheSchedulerAndHide)
{
    enum How
    {
        CancelButton,
        CloseBox,
        Escape
    };
    for (const How how : {CancelButton, CloseBox, Escape}) {
        openArmed();
        for (int i = 0; i < 10; ++i)
            countdown.step();
        ASSERT_TRUE(dialog.isVisible());
        if (how == CancelButton)
            button("btCancel")->click();
        else if (how == CloseBox)
            dialog.close();
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible()) << how;
        EXPECT_FALSE(countdown.isOpen()) << how;
        EXPECT_FALSE(countdown.isStepTimerActive()) << how;
        EXPECT_FALSE(h.Scheduler.ShutdownPending) << how;
        EXPECT_TRUE(h.Scheduler.isTimerEnabled()) << how;
        EXPECT_FALSE(AppTerminating.load()) << how;
    }
    EXPECT_EQ(h.Power.Requests, 0);

    // Armed again later: a fresh minute.
    openArmed();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(label().endsWith("after 60 seconds."));
    EXPECT_TRUE(button("btDone")->isEnabled());
}

TEST_F(ShutdownDialogTest, RefusedPowerOffClosesSilentlyAndTheScheduleGoesOn)
{
    h.Power.Accept = false;
    openArmed();
    button("btDone")->click();
    countdown.step();
    EXPECT_EQ(h.Power.Requests, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(h.Scheduler.isTimerEnabled());
    EXPECT_FALSE(h.Scheduler.ShutdownPending);
    EXPECT_FALSE(AppTerminating.load());
}

} // namespace
