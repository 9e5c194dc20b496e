#include "base/Clock.h"
#include "base/DateTime.h"
#include "events/EventsLog.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/RunLifecycle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

class JobModelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setTestTime(QDateTime(QDate(2026, 3, 9), QTime(14, 5, 31)));
        EventsQueue().takeAll();
    }
    void TearDown() override { Clock::resetTestTime(); }
};

TEST_F(JobModelTest, NewJobsCarryTheirKindsDefaults)
{
    TJob_FilesAndFolders files("Docs");
    EXPECT_EQ(files.stJobName, "Docs");
    EXPECT_EQ(files.JobStatus.load(), jsNone);
    EXPECT_EQ(files.JobOperation.load(), joBackup);
    EXPECT_EQ(files.Settings.Backup.BackupType, btInc);
    EXPECT_EQ(files.Settings.Backup.PerformFullBackup_EveryCopies, 5);
    EXPECT_EQ(files.Settings.Backup.NumberFullCopiesToKeep, 10);
    EXPECT_FALSE(files.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup);
    EXPECT_EQ(files.Settings.Sources.FilterType, ftNoFilters);
    EXPECT_TRUE(files.NewSubfolderIsCreatedForEachBackup);
    EXPECT_TRUE(files.CanPause);
    EXPECT_EQ(files.DestinationType, dtExternalDevice);
    EXPECT_EQ(files.SchedulingSettings.SchedulingType, stDisabled);
    EXPECT_EQ(files.LastJobResult.StartTime.load(), 0);
    EXPECT_EQ(files.CurrentFileOperationPath.get(), QString());

    TJob_DriveImage image("System");
    EXPECT_FALSE(image.CanPause);
    EXPECT_FALSE(image.NewSubfolderIsCreatedForEachBackup);
    EXPECT_EQ(image.Settings.NumberOfBackupVersionsToKeep, "3");
    EXPECT_FALSE(image.Settings.AutocleanOldBackups);
}

TEST_F(JobModelTest, CancelAndPauseFollowTheStatusTable)
{
    struct Case
    {
        TJobStatus from;
        bool driveImage;
        TJobStatus afterCancel;
        TJobStatus afterPause;
        bool cancelEvent;
    } cases[] = {
        {jsNone, false, jsNone, jsNone, false},
        {jsWaiting, false, jsNone, jsWaiting, false},
        {jsRunning, false, jsCancelling, jsPaused, true},
        {jsPaused, false, jsCancelling, jsPaused, true},
        {jsCancelling, false, jsCancelling, jsCancelling, false},
        {jsRunning, true, jsCancelling, jsRunning, true}, // drive image jobs cannot pause
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " image " << c.driveImage);
        std::unique_ptr<TJob> job = c.driveImage ? std::unique_ptr<TJob>(new TJob_DriveImage("J"))
                                                 : std::unique_ptr<TJob>(new TJob_FilesAndFolders("J"));
        job->JobStatus = c.from;
        job->Pause();
        EXPECT_EQ(job->JobStatus.load(), c.afterPause);

        job->JobStatus = c.from;
        job->LastJobResult.Log.append("line");
        EventsQueue().takeAll();
        job->Cancel();
        EXPECT_EQ(job->JobStatus.load(), c.afterCancel);
        const QStringList events = EventsQueue().takeAll();
        if (c.cancelEvent) {
            ASSERT_EQ(events.size(), 1);
            EXPECT_TRUE(events[0].endsWith(": Cancelling (J)")) << events[0].toStdString();
            EXPECT_NE(job->CancelCurrentFileOperation.load(), 0);
        } else {
            EXPECT_TRUE(events.isEmpty());
        }
    }
}

TEST_F(JobModelTest, CancellingAWaitingJobStampsBothTimesAndEmptiesTheLog)
{
    TJob_FilesAndFolders job("W");
    job.JobStatus = jsWaiting;
    job.LastJobResult.Log.append("old");
    job.Cancel();
    EXPECT_EQ(job.JobStatus.load(), jsNone);
    EXPECT_EQ(job.LastJobResult.StartTime.load(), Now());
    EXPECT_EQ(job.LastJobResult.EndTime.load(), Now());
    EXPECT_TRUE(job.LastJobResult.Log.isEmpty());
    EXPECT_EQ(job.CancelCurrentFileOperation.load(), 0);
}

TEST_F(JobModelTest, CancelNeverRevivesAJobThatAWorkerJustEnded)
{
    // The worker sets jsNone while the main thread cancels: the job must end idle or cancelling,
    // and once the worker has ended it, nothing may set it back.
    for (int round = 0; round < 200; ++round) {
        TJob_FilesAndFolders job("R");
        job.JobStatus = jsRunning;
        std::thread worker([&] { job.JobStatus = jsNone; });
        job.Cancel();
        worker.join();
        const TJobStatus status = job.JobStatus.load();
        EXPECT_TRUE(status == jsNone) << "round " << round << " status " << status;
    }
}

TEST_F(JobModelTest, WaitUntilWakesOnTheRunsEndAndOnCancel)
{
    // The timeout is far beyond any test run: only the wake-up lets these waits return.
    const auto forever = std::chrono::minutes(10);
    const struct
    {
        const char* what;
        TJobStatus from;
        std::function<void(TJob&)> change;
        std::function<bool(const TJob&)> awaited;
    } cases[] = {
        {"the run ends", jsRunning, [](TJob& job) { job.SetStatus(jsNone); },
         [](const TJob& job) { return job.isIdle(); }},
        {"a cancel", jsRunning, [](TJob& job) { job.Cancel(); },
         [](const TJob& job) { return job.CancelCurrentFileOperation.load() != 0; }},
        {"a waiting job is cancelled", jsWaiting, [](TJob& job) { job.Cancel(); },
         [](const TJob& job) { return job.isIdle(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TJob_FilesAndFolders job("S");
        job.JobStatus = c.from;
        std::atomic<bool> waiting{false};
        std::thread worker([&] {
            while (!waiting)
                std::this_thread::yield();
            c.change(job);
        });
        waiting = true;
        EXPECT_TRUE(job.WaitUntil([&] { return c.awaited(job); }, forever));
        worker.join();
    }
    TJob_FilesAndFolders job("T");
    job.JobStatus = jsRunning;
    EXPECT_FALSE(job.WaitUntil([&] { return job.isIdle(); }, std::chrono::milliseconds(1)));
}

TEST_F(JobModelTest, EveryWayOutOfAPauseWakesTheWaitingRun)
{
    // The run sleeps until the status changes; a change that did not wake it would hang it for good.
    const struct
    {
        const char* name;
        std::function<void(TJob&)> leavePause;
        TJobStatus after;
    } cases[] = {
        {"cancel", [](TJob& job) { job.Cancel(); }, jsCancelling},
        {"resume", [](TJob& job) { job.JobStatus = jsRunning; }, jsRunning},
        {"resume if still paused",
         [](TJob& job) {
             TJobStatus expected = jsPaused;
             job.JobStatus.compare_exchange_strong(expected, jsRunning);
         },
         jsRunning},
        {"end", [](TJob& job) { job.JobStatus.store(jsNone); }, jsNone},
    };
    for (const auto& c : cases) {
        TJob_FilesAndFolders job("Paused");
        job.JobStatus = jsPaused;
        std::thread run([&job] { job.WaitWhilePaused(); });
        while (!job.WaitingWhilePaused)
            std::this_thread::yield();
        c.leavePause(job);
        run.join();
        EXPECT_EQ(job.JobStatus.load(), c.after) << c.name;
    }
    EventsQueue().takeAll();
}

TEST_F(JobModelTest, CurrentPathKeepsAtMost256Units)
{
    TJob_FilesAndFolders job("P");
    const QString longPath = QString(300, QChar(u'\u00e9'));
    job.CurrentFileOperationPath.set(longPath);
    EXPECT_EQ(job.CurrentFileOperationPath.get(), longPath.left(256));
    job.CurrentFileOperationPath.set("/short");
    EXPECT_EQ(job.CurrentFileOperationPath.get(), "/short");
}

TEST_F(JobModelTest, OptionsSnapshotIsADeepCopy)
{
    GlobalOptions = TOptions();
    GlobalOptions.Language.Translations = {{"Ready"}, {"Bereit"}};
    GlobalOptions.ExcludedDirs = {"/a"};
    GlobalOptions.Processing.IfDestinationNotAvailable_Retry_Times = 7;
    GlobalOptions.General.PathForTempFiles = "/tmp/x";
    TJob_FilesAndFolders job("S");
    job.OptionsToJobOptions();

    GlobalOptions.Language.Translations[1][0] = "changed";
    GlobalOptions.ExcludedDirs.append("/b");
    GlobalOptions.Processing.IfDestinationNotAvailable_Retry_Times = 1;

    EXPECT_EQ(job.JobOptions.Language.Translations[1][0], "Bereit");
    EXPECT_EQ(job.JobOptions.ExcludedDirs, QStringList{"/a"});
    EXPECT_EQ(job.JobOptions.Processing.IfDestinationNotAvailable_Retry_Times, 7);
    EXPECT_EQ(job.JobOptions.General.PathForTempFiles, "/tmp/x");
    GlobalOptions = TOptions();
}

TEST(DateTimeTest, DaysSince1899KnownValues)
{
    struct Case
    {
        QDateTime when;
        double value;
    } cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1900, 1, 1), QTime(6, 0)), 2.25},
        {QDateTime(QDate(2024, 3, 9), QTime(12, 0)), 45360.5},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when.toString(Qt::ISODate).toStdString());
        EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(c.when), c.value);
        EXPECT_EQ(QDateTimeFromDateTime(c.value), c.when);
    }
    const QDateTime withMs(QDate(2026, 12, 10), QTime(23, 59, 59, 999));
    EXPECT_EQ(QDateTimeFromDateTime(DateTimeFromQDateTime(withMs)), withMs);
    EXPECT_FALSE(QDateTimeFromDateTime(std::numeric_limits<double>::quiet_NaN()).isValid());
}

} // namespace
