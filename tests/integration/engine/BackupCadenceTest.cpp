// Full and incremental runs: the first full copy, the full-every cadence, the catalogs of each backup
// and the retention of old backups; the main path also through an SMB share.
#include "EngineTestSupport.h"

#include "options/uOptions.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace TestEnvironment;

namespace {
const QByteArray kMark("\xEF\xBB\xBF");

class CadenceTest : public EngineTest, public ::testing::WithParamInterface<Destination>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != Destination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
        job->Settings.Backup.PerformFullBackup_EveryCopies = 2;
    }
};

TEST_P(CadenceTest, IncrementalJobStartsWithAFullCopyThenCopiesOnlyChanges)
{
    writeSource("Docs/a.txt", "alpha");
    writeSource("Docs/sub/b.txt", "beta");

    runBackup(); // 21:05, no remote job file: a full copy
    const QString full = subfolder(5, "Full");
    EXPECT_EQ(treeOf(backupRoot()),
              QStringList({full + "/", full + "/Docs/", full + "/Docs/a.txt", full + "/Docs/sub/",
                           full + "/Docs/sub/b.txt", full + "/_checksums.obl", full + "/_rd.obl",
                           full + "/_rf.obl", full + "/_rrd.obl", full + "/_rrf.obl"}));
    EXPECT_EQ(readFile(storedPath(full + "/Docs/sub/b.txt")), "beta");
    EXPECT_EQ(readFile(storedPath(full + "/_rd.obl")), kMark + "Docs\r\nDocs/sub\r\n");
    EXPECT_EQ(catalog(storedPath(full + "/_rf.obl")), QStringList({"Docs/a.txt", "Docs/sub/b.txt"}));
    EXPECT_EQ(readFile(storedPath(full + "/_rrf.obl")), kMark);
    EXPECT_EQ(readFile(storedPath(full + "/_rrd.obl")), kMark);
    EXPECT_FALSE(QFile::exists(storedPath("_startflag.obl")));
    TRemoteBookkeeping stored = storedBookkeeping();
    EXPECT_EQ(stored.MainBackupList, QStringList({"Incremental)", full}));
    EXPECT_EQ(stored.PreviousLocalDirsList, QStringList({"Docs", "Docs/sub"}));
    EXPECT_EQ(stored.PreviousLocalFilesTimeList.size(), 2);
    EXPECT_EQ(stored.PreviousLocalFilesTimeList[stored.PreviousLocalFilesList.indexOf("Docs/sub/b.txt")],
              "2020-01-01 08:00:02:002");
    EXPECT_TRUE(logHas("Target: full copy of the source. Subdirectory: " + full));
    EXPECT_TRUE(logLineWith("Backup job \"Docs job\" is finished. Files copied: 2. Total size of the files: ")
                    .endsWith(" KB"));
    EXPECT_TRUE(job->BackupHistory.at(0).endsWith("Starting the backup. Target: full copy of the source."));
    EXPECT_TRUE(job->BackupHistory.at(1).endsWith("Backup job is finished."));
    EXPECT_FALSE(job->LastJobResult.Cancelled);

    runBackup(); // 21:06, nothing changed: an incremental copy with only its catalogs
    const QString inc1 = subfolder(6, "Incremental");
    EXPECT_EQ(treeOf(storedPath(inc1)),
              QStringList({"_checksums.obl", "_rd.obl", "_rf.obl", "_rrd.obl", "_rrf.obl"}));
    for (const char* name : {"_rd.obl", "_rf.obl", "_rrd.obl", "_rrf.obl"})
        EXPECT_EQ(readFile(storedPath(inc1 + '/' + name)), kMark) << name;
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished. Files copied: 0."));
    EXPECT_FALSE(logHas("Total size of the files:"));

    // 21:07: one changed, one new, one removed file and a new folder.
    writeSource("Docs/a.txt", "alpha 2");
    writeSource("Docs/new/c.txt", "gamma");
    QFile::remove(sourceRoot + "/Docs/sub/b.txt");
    QDir(sourceRoot + "/Docs/sub").removeRecursively();
    runBackup();
    const QString inc2 = subfolder(7, "Incremental");
    EXPECT_EQ(treeOf(storedPath(inc2)),
              QStringList({"Docs/", "Docs/a.txt", "Docs/new/", "Docs/new/c.txt", "_checksums.obl", "_rd.obl",
                           "_rf.obl", "_rrd.obl", "_rrf.obl"}));
    EXPECT_EQ(readFile(storedPath(inc2 + "/Docs/a.txt")), "alpha 2");
    EXPECT_EQ(catalog(storedPath(inc2 + "/_rf.obl")), QStringList({"Docs/a.txt", "Docs/new/c.txt"}));
    EXPECT_EQ(readFile(storedPath(inc2 + "/_rd.obl")), kMark + "Docs/new\r\n");
    EXPECT_EQ(readFile(storedPath(inc2 + "/_rrf.obl")), kMark + "Docs/sub/b.txt\r\n");
    EXPECT_EQ(readFile(storedPath(inc2 + "/_rrd.obl")), kMark + "Docs/sub\r\n");

    runBackup(); // 21:08: two increments since the full copy reach PerformFullBackup_EveryCopies
    EXPECT_TRUE(logHas("The number of incremental copies (2) has reached the specified value (2). We need to "
                       "perform a full backup."));
    stored = storedBookkeeping();
    EXPECT_EQ(stored.MainBackupList, QStringList({"Incremental)", full, inc1, inc2, subfolder(8, "Full")}));
    EXPECT_EQ(stored.SizeOfAllIncrementsOrLastDifferentialCopy, 0);
    EXPECT_GT(stored.SizeOfLastFullBackup, 0);
    EXPECT_EQ(QDir(GlobalOptions.Logging.PathForLogFiles + "/Docs job").entryList(QDir::Files).size(), 4);
}

TEST_F(EngineTest, FullEveryZeroMakesEveryRunAFullCopy)
{
    ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
    job->Settings.Backup.PerformFullBackup_EveryCopies = 0;
    writeSource("Docs/a.txt");
    runBackup();
    EXPECT_FALSE(logHas("The number of incremental copies"));
    runBackup();
    runBackup();
    EXPECT_TRUE(logHas("The number of incremental copies (0) has reached the specified value (0). We need to "
                       "perform a full backup."));
    EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Incremental)", subfolder(5, "Full"),
                                                               subfolder(6, "Full"), subfolder(7, "Full")}));
    // A full copy copies everything again and records nothing as removed.
    EXPECT_EQ(readFile(storedPath(subfolder(7, "Full") + "/_rf.obl")), kMark + "Docs/a.txt\r\n");
    EXPECT_EQ(readFile(storedPath(subfolder(7, "Full") + "/_rrf.obl")), kMark);
}

TEST_F(EngineTest, TwoRunsInOneSecondGetTwoSubfolders)
{
    ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
    writeSource("Docs/a.txt");
    startBackup();
    waitUntilIdle();
    runBackup(); // the clock has not moved: same start second
    EXPECT_EQ(storedBookkeeping().MainBackupList,
              QStringList({"Full)", subfolder(5, "Full"), "2024-06-30 21;05;01 (Full)"}));
    EXPECT_EQ(readFile(storedPath("2024-06-30 21;05;01 (Full)/_rf.obl")), kMark + "Docs/a.txt\r\n");
}

class RetentionTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
        job->Settings.Backup.PerformFullBackup_EveryCopies = 1;
        job->Settings.Backup.NumberFullCopiesToKeep = 2;
        writeSource("Docs/a.txt");
        for (int run = 0; run < 4; ++run) { // F1 I1 F2 I2
            writeSource("Docs/a.txt", QByteArray::number(run));
            runBackup();
        }
        EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Incremental)", F1, I1, F2, I2}));
    }
    const QString F1 = subfolder(5, "Full"), I1 = subfolder(6, "Incremental"), F2 = subfolder(7, "Full"),
                  I2 = subfolder(8, "Incremental"), F3 = subfolder(9, "Full");
};

TEST_F(RetentionTest, OldBackupsGoAfterTheNewFullCopy)
{
    runBackup();
    EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Incremental)", F2, I2, F3}));
    EXPECT_EQ(treeOf(backupRoot()).filter(QRegularExpression("^[^/]+/$")),
              QStringList({F2 + "/", I2 + "/", F3 + "/"}));
    const QStringList log = logLines();
    const qsizetype catalogsAt = log.indexOf(QRegularExpression(".*: Copying the database files\\."));
    const qsizetype removalAt = log.indexOf(QRegularExpression(".*: Removing the old backups\\."));
    EXPECT_GT(catalogsAt, 0);
    EXPECT_GT(removalAt, catalogsAt);
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished. Files copied: 1.")); // a full copy copies all
}

TEST_F(RetentionTest, RemovingBeforeTheRunLeavesOnlyTheKeptBackupsWhenTheRunFails)
{
    job->Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup = true;
    writeSource("Docs/a.txt", "changed");
    // A file where the run's folder "Docs" must go: the storage refuses the copy into it.
    writeFile(storedPath(F3 + "/Docs"), "in the way");
    runBackup();
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(logHas("The job will be cancelled because destination is not accepting the file."));
    EXPECT_FALSE(QFileInfo::exists(storedPath(F1)));
    EXPECT_FALSE(QFileInfo::exists(storedPath(I1)));
    EXPECT_TRUE(QFileInfo::exists(storedPath(F2)));
    EXPECT_TRUE(QFileInfo::exists(storedPath(I2)));
    EXPECT_TRUE(QFileInfo::exists(storedPath("_startflag.obl")));
    const QStringList log = logLines();
    EXPECT_LT(log.indexOf(QRegularExpression(".*: Removing the old backups\\.")),
              log.indexOf(QRegularExpression(".*Copying the file: .*a\\.txt")));
}

INSTANTIATE_TEST_SUITE_P(Destinations, CadenceTest, ::testing::Values(Destination::Local, Destination::Smb),
                         [](const auto& info) { return info.param == Destination::Local ? "Local" : "Smb"; });
} // namespace
