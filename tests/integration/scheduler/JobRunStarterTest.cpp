// The production starter under the tick: a due job whose run lock is held elsewhere (the command line
// running the same job) waits, and runs for real once that run has ended.
#include "scheduler/JobRunStarter.h"
#include "base/AppState.h"
#include "base/Clock.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/Elevation.h"
#include "platform/JobRunLock.h"
#include "platform/PowerControl.h"
#include "platform/SleepInhibitor.h"
#include "scheduler/Scheduler.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QThread>

namespace {

class TNoSystem : public TSleepInhibitor, public TElevation, public TPowerControl
{
public:
    void requestBusy() override {}
    void requestIdle() override {}
    bool StartElevated(const QStringList&) override { return false; }
    bool PowerOffComputer() override { return false; }
};

bool waitIdle(const TJob& job, int msecs = 30000)
{
    QDeadlineTimer deadline(msecs);
    while (!job.isIdle()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

TEST(JobRunStarterTest, JobRunningElsewhereWaitsAndRunsWhenItHasEnded)
{
    GlobalOptions = TOptions();
    GlobalOptions.Logging.MaxNumberOfLinesInEventsLog = 50;
    GlobalOptions.General.PathForTempFiles = TestEnvironment::makeFolder("temp");
    GlobalOptions.Logging.PathForLogFiles = TestEnvironment::makeFolder("logs");
    ElevatedInstance.store(true);
    const QString source = TestEnvironment::makeFolder("source");
    const QString destination = TestEnvironment::makeFolder("destination");
    TestEnvironment::writeFile(source + "/notes.txt", "notes\n");

    TJobCatalogue jobs;
    auto created = std::make_unique<TJob_FilesAndFolders>("Notes");
    created->Settings.Sources.List = {source + "/*"};
    created->Settings.Backup.BackupType = btSync;
    created->DestinationPath = destination;
    TJob_FilesAndFolders& job = *created;
    jobs.append(std::move(created));
    TJobRunStarter runs;
    TNoSystem system;
    TScheduler scheduler(jobs, runs, system, system, system);

    TJobRunLock elsewhere(FoldJobName("Notes"));
    ASSERT_TRUE(elsewhere.tryLock());
    job.JobStatus.store(jsWaiting);
    scheduler.TimerSchedulerTimer();
    EXPECT_EQ(job.JobStatus.load(), jsWaiting);
    scheduler.TimerSchedulerTimer();
    EXPECT_EQ(job.JobStatus.load(), jsWaiting);
    EXPECT_EQ(job.LastJobResult.StartTime.load(), 0);

    elsewhere.unlock();
    scheduler.TimerSchedulerTimer();
    EXPECT_NE(job.JobStatus.load(), jsWaiting);
    ASSERT_TRUE(waitIdle(job));
    EXPECT_GT(job.LastJobResult.EndTime.load(), 0);
    EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), 0);
    scheduler.TimerSchedulerTimer();
    const QStringList lines = scheduler.EventsPanel.Lines;
    EXPECT_EQ(lines.filter("Starting the \"Notes\" backup.").size(), 1) << qPrintable(lines.join('\n'));
    EXPECT_EQ(lines.filter("Backup job \"Notes\" is finished.").size(), 1) << qPrintable(lines.join('\n'));
    GlobalOptions = TOptions();
    ElevatedInstance.store(false);
}

} // namespace
