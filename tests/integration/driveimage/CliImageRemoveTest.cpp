// zorvanbackup-cli remove --with-backups on a drive image job: the job's own removal hands the deletion
// of every version to the image tool; a removal that cannot happen is reported as the files job's is.
#include "DriveImageTestSupport.h"

#include "base/Clock.h"
#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "platform/JobRunLock.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"

#include <QDir>
#include <QFileInfo>

namespace {

class CliImageRemoveTest : public DriveImageTest
{
protected:
    void SetUp() override
    {
        DriveImageTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        volume = makeVolume("cli.img", 2 << 20, 31);
    }
    // Creates the job from the command line and backs it up `runs` times.
    void createAndBackUp(const QString& name, const QStringList& extra, int runs)
    {
        const CliRun created = RunCli(QStringList{"create", name, "--kind", "image", "--dest",
                                                  job->DestinationPath, "--volume", volume} +
                                      extra);
        ASSERT_EQ(created.code, CliApp::kOk) << created.err.toStdString();
        for (int run = 0; run < runs; ++run) {
            const CliRun backup = RunCli({"backup", name});
            ASSERT_EQ(backup.code, CliApp::kOk) << backup.out.toStdString() << backup.err.toStdString();
            Clock::advanceTestTime(60 * 1000);
        }
    }
    static bool inCatalogue(const QString& name)
    {
        TJobCatalogue jobs;
        jobs.LoadJobsListAndJobs();
        return jobs.indexOfName(name) >= 0;
    }

    QString volume;
};

TEST_F(CliImageRemoveTest, WithBackupsTheToolDeletesEveryVersion)
{
    createAndBackUp("Nightly image", {"--keep-versions", "3"}, 2);
    ASSERT_EQ(versionsOn(drive).size(), 2);
    // The clean-up commands of the two runs (keep 3) have been started.
    ASSERT_TRUE(waitFor([&] { return elevatedCommands().size() == 2; }));

    const CliRun removed = RunCli({"remove", "nightly image", "--with-backups"});
    EXPECT_EQ(removed.code, CliApp::kOk) << removed.err.toStdString();
    EXPECT_TRUE(
        removed.out.contains("The backup folder has been removed successfully on the storage device."))
        << removed.out.toStdString();
    EXPECT_TRUE(removed.out.contains("Job is removed."));
    EXPECT_FALSE(QFileInfo::exists(job->DestinationPath + "/Nightly image.kxj"));
    EXPECT_FALSE(QFileInfo::exists(LocalJobFilePath("Nightly image")));
    EXPECT_FALSE(inCatalogue("Nightly image"));
    EXPECT_TRUE(waitFor([&] { return versionsOn(drive).isEmpty(); }));
    EXPECT_TRUE(elevatedCommands().last().endsWith(" delete backup -backuptarget:" + drive +
                                                   " -keepversions:0 -quiet"))
        << elevatedCommands().join('\n').toStdString();
}

TEST_F(CliImageRemoveTest, RemovalThatCannotDeleteTheVersionsIsAnErrorAndTheJobStillGoes)
{
    const QString failed = "Unable to remove the backup folder.\n\n"
                           "Make sure the storage device is connected. Then remove it manually";
    // Without a number of versions to keep, the job's removal leaves the versions alone.
    createAndBackUp("Kept", {}, 1);
    CliRun removed = RunCli({"remove", "Kept", "--with-backups"});
    EXPECT_EQ(removed.code, CliApp::kFinishedWithErrors);
    EXPECT_TRUE(removed.err.contains(failed)) << removed.err.toStdString();
    EXPECT_TRUE(removed.err.contains("its image versions are left on the storage"));
    EXPECT_FALSE(inCatalogue("Kept"));
    EXPECT_FALSE(QFileInfo::exists(LocalJobFilePath("Kept")));

    // A storage folder that is gone: nothing is handed to the tool.
    createAndBackUp("Unplugged", {"--keep-versions", "2"}, 1);
    ASSERT_TRUE(waitFor([&] { return elevatedCommands().size() == 1; }));
    ASSERT_TRUE(QDir(job->DestinationPath).removeRecursively());
    removed = RunCli({"remove", "Unplugged", "--with-backups"});
    EXPECT_EQ(removed.code, CliApp::kFinishedWithErrors);
    EXPECT_TRUE(removed.err.contains(failed)) << removed.err.toStdString();
    EXPECT_FALSE(removed.err.contains("left on the storage"));
    EXPECT_FALSE(inCatalogue("Unplugged"));
    EXPECT_EQ(elevatedCommands().size(), 1);
    EXPECT_EQ(versionsOn(drive).size(), 2);
}

TEST_F(CliImageRemoveTest, RunningJobIsNeitherRemovedNorCleaned)
{
    createAndBackUp("Busy", {"--keep-versions", "2"}, 1);
    TJobRunLock run(FoldJobName("Busy"));
    ASSERT_TRUE(run.tryLock());
    const CliRun removed = RunCli({"remove", "Busy", "--with-backups"});
    EXPECT_EQ(removed.code, CliApp::kCancelled);
    EXPECT_TRUE(removed.err.contains("Busy: Job is currently running.")) << removed.err.toStdString();
    EXPECT_TRUE(inCatalogue("Busy"));
    EXPECT_TRUE(QFileInfo::exists(job->DestinationPath + "/Busy.kxj"));
    EXPECT_EQ(versionsOn(drive).size(), 1);
}

} // namespace
