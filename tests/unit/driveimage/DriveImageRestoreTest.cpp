// Restore guidance of a drive image job: the storage check before the guidance opens, and the restart.
#include "driveimage/DriveImageRestore.h"
#include "base/AppState.h"
#include "events/EventsLog.h"
#include "jobs/uJob_DriveImage.h"
#include "options/uOptions.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class RecordingView : public TDriveImageRestoreView
{
public:
    void ShowRestoreError(const QString& text) override { errors.append(text); }
    void ShowRestoreGuidance(TJob_DriveImage& job) override { guidance.append(job.stJobName); }
    QStringList errors;
    QStringList guidance;
};

// A drive image restore shows its own errors and guidance: the interaction must not be asked anything.
class UnaskedInteraction : public TRestoreInteraction
{
public:
    bool ChooseOutputFolder(QString&) override { return asked("folder"); }
    void ShowLoading() override { asked("loading"); }
    void CloseLoading() override { asked("loading closed"); }
    bool ChooseRestorePoint(const QStringList&, qint32&) override { return asked("point"); }
    QString QueryZipPassword(const QString&, const QString&) override { return asked("password"), QString(); }
    void ShowError(const QString& message) override { asked("error " + message); }
    QStringList questions;

private:
    bool asked(const QString& what)
    {
        questions.append(what);
        return false;
    }
};

class DriveImageRestoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GlobalOptions = TOptions();
        SetDriveImageRestoreView(&view);
        job.DestinationType = dtExternalDevice;
        job.DestinationPath = TestEnvironment::makeFolder("image drive");
        job.OptionsToJobOptions();
        EventsQueue().takeAll();
    }
    void TearDown() override
    {
        SetDriveImageRestoreView(nullptr);
        AppTerminating = false;
    }

    // The restore as the program's callers reach it: through the job's base.
    void restore()
    {
        TJob& anyKind = job;
        EXPECT_TRUE(anyKind.Restore(ui));
        EXPECT_TRUE(ui.questions.isEmpty()) << ui.questions.join(", ").toStdString();
    }

    RecordingView view;
    UnaskedInteraction ui;
    TJob_DriveImage job{"System image"};
};

TEST_F(DriveImageRestoreTest, ReachableStorageOpensTheGuidance)
{
    restore();
    EXPECT_EQ(view.guidance, QStringList{"System image"});
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_TRUE(EventsQueue().takeAll().isEmpty());
}

TEST_F(DriveImageRestoreTest, UnreachableStorageIsReportedTwiceInTheEventsAndOnceInABoxWithoutCountingAnError)
{
    job.DestinationPath += "/gone";
    job.LastJobResult.ErrorsCount = 2;
    restore();

    EXPECT_TRUE(view.guidance.isEmpty());
    ASSERT_EQ(view.errors.size(), 1);
    const QString error = "ERROR: The directory does not exist: " + job.DestinationPath;
    EXPECT_EQ(view.errors.first(), error + "\n\"System image\" restore is cancelled.");
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].endsWith(error));
    EXPECT_TRUE(events[1].endsWith("\"System image\" restore is cancelled."));
    EXPECT_EQ(job.LastJobResult.ErrorsCount, 2);
}

TEST_F(DriveImageRestoreTest, RestartMarksTheProgramEndingAndAsksForTheBootMenu)
{
    QStringList started;
    RestartComputerForRecovery([&](const QString& program, const QStringList& arguments) {
        started = QStringList{program} + arguments;
        return false; // a failed start changes nothing: the program ends anyway
    });
    EXPECT_TRUE(AppTerminating);
    ASSERT_EQ(started.size(), 3);
    EXPECT_EQ(started[0], "/bin/sh");
    EXPECT_EQ(started[2], "systemctl reboot --boot-loader-menu=0 || systemctl reboot");
}

} // namespace
