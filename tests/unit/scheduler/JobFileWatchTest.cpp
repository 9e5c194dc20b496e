// The scheduler takes in a job file that another process has changed: the settings of an idle job
// follow the file, the results of its runs stay, and a running job waits until it is idle.
#include "scheduler/JobFileWatch.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/StandardFolders.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

TEST(JobFileWatchTest, AnIdleJobTakesTheSettingsOfItsChangedFileAndKeepsItsResults)
{
    QDir().mkpath(StandardFolders::applicationDataFolder());
    TJobCatalogue jobs;
    auto owned = std::make_unique<TJob_FilesAndFolders>("Watched");
    TJob_FilesAndFolders& job = *owned;
    job.Settings.Sources.List = {"/home/me/Documents/*"};
    job.DestinationPath = "/media/usb";
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[1] = true;
    job.SchedulingSettings.TimeTable = {"08:00:00"};
    ASSERT_TRUE(job.SaveLocalJobFile(LocalJobFilePath("Watched")));
    jobs.append(std::move(owned));
    TJobFileWatch watch;
    watch.TakeChangedSettings(jobs); // first sight: nothing to take

    // Another process changes the schedule and the destination.
    const auto saveChanged = [](const QString& destination) {
        TJob_FilesAndFolders other("Watched");
        other.Settings.Sources.List = {"/home/me/Photos/*"};
        other.DestinationPath = destination;
        other.SchedulingSettings.SchedulingType = stDisabled;
        other.SchedulingSettings.LastModificationDateTime = 46000.5;
        ASSERT_TRUE(other.SaveLocalJobFile(LocalJobFilePath("Watched")));
    };
    job.LastJobResult.StartTime = 45000.25; // a run of this process, not yet in the file
    job.JobStatus = jsRunning;
    saveChanged("/media/other");
    watch.TakeChangedSettings(jobs);
    EXPECT_EQ(job.SchedulingSettings.SchedulingType, stDaysOfWeek) << "a running job is left alone";
    EXPECT_EQ(job.DestinationPath, "/media/usb");

    job.JobStatus = jsNone;
    watch.TakeChangedSettings(jobs);
    EXPECT_EQ(job.SchedulingSettings.SchedulingType, stDisabled);
    EXPECT_EQ(job.SchedulingSettings.LastModificationDateTime, 46000.5);
    EXPECT_EQ(job.DestinationPath, "/media/other");
    EXPECT_EQ(job.Settings.Sources.List, QStringList({"/home/me/Photos/*"}));
    EXPECT_EQ(job.LastJobResult.StartTime.load(), 45000.25);

    // Unchanged since: the job's own changes in memory stay; a damaged file changes nothing.
    job.DestinationPath = "/media/mine";
    watch.TakeChangedSettings(jobs);
    EXPECT_EQ(job.DestinationPath, "/media/mine");
    QFile damaged(LocalJobFilePath("Watched"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a job file");
    damaged.close();
    watch.TakeChangedSettings(jobs);
    EXPECT_EQ(job.DestinationPath, "/media/mine");
    EXPECT_EQ(job.Settings.Sources.List, QStringList({"/home/me/Photos/*"}));
}

} // namespace
