// Mirror runs: the storage follows the sources, deletes exactly what the previous run recorded, and a
// changed backup type starts the backup over; also removing a job's backups.
#include "EngineTestSupport.h"

#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace TestEnvironment;

namespace {
const QByteArray kMark("\xEF\xBB\xBF");

class MirrorTest : public EngineTest, public ::testing::WithParamInterface<Destination>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != Destination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*", sourceRoot + "/single.txt"});
    }
};

TEST_P(MirrorTest, FollowsTheSourcesAndDeletesOnlyWhatItRecorded)
{
    writeSource("Docs/a.txt", "alpha");
    writeSource("Docs/sub/b.txt", "beta");
    writeSource("Docs/sub/deeper/c.txt", "gamma");
    writeSource("single.txt", "single");
    runBackup();
    EXPECT_EQ(treeOf(backupRoot()),
              QStringList({"Docs/", "Docs/a.txt", "Docs/sub/", "Docs/sub/b.txt", "Docs/sub/deeper/",
                           "Docs/sub/deeper/c.txt", "_checksums.obl", "single.txt"}));
    EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Syncronization)"}));
    EXPECT_FALSE(logHas("Target:"));
    EXPECT_TRUE(job->BackupHistory.at(0).endsWith(": Starting the backup.")); // a mirror has no target line
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished. Files copied: 4."));

    // Things put into the mirror by hand are not the program's: they stay.
    writeFile(storedPath("Docs/mine.txt"), "by hand");
    writeSource("Docs/a.txt", "alpha 2");
    QDir(sourceRoot + "/Docs/sub/deeper").removeRecursively();
    // A source that is not there (an unplugged drive) is unknown, not deleted: its copy stays.
    QFile::remove(sourceRoot + "/single.txt");
    runBackup();
    EXPECT_EQ(treeOf(backupRoot()), QStringList({"Docs/", "Docs/a.txt", "Docs/mine.txt", "Docs/sub/",
                                                 "Docs/sub/b.txt", "_checksums.obl", "single.txt"}));
    EXPECT_EQ(readFile(storedPath("Docs/a.txt")), "alpha 2");
    EXPECT_TRUE(logHas("WARNING: The source does not exist: " + sourceRoot + "/single.txt"));
    EXPECT_TRUE(logHas("Files copied: 1."));
    EXPECT_FALSE(QFile::exists(storedPath("_startflag.obl")));

    // A copy deleted from the mirror by hand whose source is gone too: nothing left to delete.
    QFile::remove(storedPath("Docs/sub/b.txt"));
    QFile::remove(sourceRoot + "/Docs/sub/b.txt");
    runBackup();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0);
    EXPECT_FALSE(job->LastJobResult.Cancelled);
    EXPECT_EQ(treeOf(backupRoot()), QStringList({"Docs/", "Docs/a.txt", "Docs/mine.txt", "Docs/sub/",
                                                 "_checksums.obl", "single.txt"}));
}

TEST_P(MirrorTest, ChangingTheTypeRemovesTheEarlierBackups)
{
    ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
    writeSource("Docs/a.txt");
    runBackup();
    runBackup();
    ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*"});
    runBackup();
    EXPECT_TRUE(
        logHas("WARNING: Backup type has been changed in the settings. Going to remove existing backup "
               "before to run this job."));
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with warnings. Files copied: 1."));
    EXPECT_EQ(treeOf(backupRoot()), QStringList({"Docs/", "Docs/a.txt", "_checksums.obl"}));
    EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Syncronization)"}));
}

TEST_P(MirrorTest, RemoveDeletesTheJobFileAndTheWholeBackup)
{
    writeSource("Docs/a.txt");
    runBackup();
    ASSERT_TRUE(QFile::exists(backupRoot() + ".kxj"));
    EXPECT_TRUE(job->Remove());
    EXPECT_EQ(job->JobOperation, joRemove);
    EXPECT_FALSE(QFileInfo::exists(backupRoot()));
    EXPECT_FALSE(QFileInfo::exists(backupRoot() + ".kxj"));
    EXPECT_TRUE(job->isIdle());
}

INSTANTIATE_TEST_SUITE_P(Destinations, MirrorTest, ::testing::Values(Destination::Local, Destination::Smb),
                         [](const auto& info) { return info.param == Destination::Local ? "Local" : "Smb"; });

TEST_F(EngineTest, RemoveAlsoClearsABackupWhoseFirstRunNeverFinished)
{
    ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
    writeFile(backupRoot() + "/_startflag.obl", kMark + "partial\r\n");
    writeFile(backupRoot() + "/partial/Docs/a.txt", "x");
    EXPECT_TRUE(job->Remove());
    EXPECT_FALSE(QFileInfo::exists(backupRoot()));
}

TEST_F(EngineTest, RemoveFailsWhenTheStorageIsMissing)
{
    job->DestinationPath = destinationFolder + "/unplugged";
    EXPECT_FALSE(job->Remove());
}
} // namespace
