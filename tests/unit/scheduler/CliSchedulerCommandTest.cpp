#include "cli/CliSchedulerCommand.h"
#include "cli/CliApp.h"
#include "platform/InstanceLock.h"
#include "platform/StandardFolders.h"
#include "support/TestEnvironment.h"
#include "unit/scheduler/SchedulerHarness.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTimer>

#include <csignal>

namespace {

class CliSchedulerCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ResetSchedulerGlobals();
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
    }
    void TearDown() override
    {
        Clock::resetTestTime();
        ResetSchedulerGlobals();
    }

    // Saves a files-and-folders job scheduled every day at `time` as the program's only job.
    static void saveJob(const QString& name, const QString& time)
    {
        TJobCatalogue catalogue;
        auto job = std::make_unique<TJob_FilesAndFolders>(name);
        job->DestinationPath = TestEnvironment::makeFolder("destination");
        job->SchedulingSettings.SchedulingType = stDaysOfWeek;
        job->SchedulingSettings.DaysOfWeek.fill(true);
        job->SchedulingSettings.TimeTable = {time};
        job->SchedulingSettings.LastModificationDateTime = DateTimeFromQDateTime(At(2024, 1, 1, 0, 0));
        ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath(name)));
        catalogue.append(std::move(job));
        ASSERT_TRUE(catalogue.SaveJobsList());
    }

    int runCommand(const QStringList& args)
    {
        QTextStream out(&outText);
        QTextStream err(&errText);
        CliApp cli(out, err);
        TSchedulerCommandServices services{&runs, &sleep, &elevation, &power};
        const int code = CliSchedulerCommand(cli, services).run(args);
        out.flush();
        err.flush();
        return code;
    }

    TTestRunStarter runs;
    TRecordingSleepInhibitor sleep;
    TRecordingElevation elevation;
    TRecordingPowerControl power;
    QString outText;
    QString errText;
};

TEST_F(CliSchedulerCommandTest, SecondSchedulerOfTheSameUserIsRefused)
{
    TInstanceLock program;
    ASSERT_TRUE(program.tryLock());
    EXPECT_EQ(runCommand({}), CliSchedulerCommand::kAlreadyScheduling);
    EXPECT_TRUE(errText.contains("already schedules the jobs of this user")) << qPrintable(errText);
    EXPECT_TRUE(runs.Started.isEmpty());

    EXPECT_EQ(runCommand({"--now"}), CliApp::kUsage);
}

TEST_F(CliSchedulerCommandTest, StartsDueJobAndOnStopCancelsAndWaitsForIt)
{
    saveJob("Documents", "10:00:00");
    Clock::setTestTime(Monday(10, 0, 1));
    // The first tick comes a second after the start; the stop request a little later.
    QTimer::singleShot(1800, [] { ::raise(SIGTERM); });

    EXPECT_EQ(runCommand({}), CliApp::kOk);
    EXPECT_EQ(runs.Started, QStringList{"Documents"});
    EXPECT_TRUE(outText.contains("Scheduling 1 backup job(s)."));
    EXPECT_TRUE(outText.contains(": Starting the \"Documents\" backup.\n")) << qPrintable(outText);
    EXPECT_TRUE(outText.contains(": Cancelling (Documents)\n")) << qPrintable(outText);
    EXPECT_TRUE(outText.endsWith("Stopped.\n"));
    EXPECT_TRUE(sleep.Busy) << "the run kept the computer awake until the stop";
    EXPECT_TRUE(elevation.Requests.isEmpty());
    TInstanceLock after;
    EXPECT_TRUE(after.tryLock()) << "the lock is released at the end";
}

} // namespace
