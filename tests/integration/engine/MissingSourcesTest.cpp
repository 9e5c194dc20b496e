// Sources that are missing, come and go, or cannot be read: what is unknown is never treated as
// deleted, and the closing messages count what happened.
#include "EngineTestSupport.h"

#include "options/uOptions.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace TestEnvironment;

namespace {
const QByteArray kMark("\xEF\xBB\xBF");

TEST_F(EngineTest, ClosingMessagesForMissingAndNoSources)
{
    ConfigureJob(*job, btSync, {sourceRoot + "/Gone/*", sourceRoot + "/gone.txt"});
    runBackup();
    EXPECT_TRUE(logHas("WARNING: The source does not exist: " + sourceRoot + "/Gone"));
    EXPECT_TRUE(logHas("WARNING: The source does not exist: " + sourceRoot + "/gone.txt"));
    EXPECT_TRUE(logLineWith("is finished")
                    .endsWith(": Backup job \"Docs job\" is finished with warnings. "
                              "Files copied: 0."));
    EXPECT_EQ(job->LastJobResult.WarningsCount, 2);

    ConfigureJob(*job, btSync, {});
    runBackup();
    EXPECT_TRUE(
        logLineWith("is finished").endsWith(": Backup job \"Docs job\" is finished. Files copied: 0."));

    ConfigureJob(*job, btFull, {writeSource("one.bin", QByteArray(500, 'x'))});
    runBackup();
    const QString closing = logLineWith("is finished");
    EXPECT_TRUE(
        closing.contains(QRegularExpression(": Backup job \"Docs job\" is finished with warnings\\. Files "
                                            "copied: 1\\. Total size of the files: [0-9]+(\\.[0-9]+)? KB$")))
        << closing.toStdString(); // the warning: the type changed from mirror to full
}

class ComingAndGoingTest : public EngineTest, public ::testing::WithParamInterface<TBackupType>
{
};

TEST_P(ComingAndGoingTest, ASourceAwayForOneRunKeepsItsBackupAndIsNotCopiedAgain)
{
    ConfigureJob(*job, GetParam(), {sourceRoot + "/Docs/*", sourceRoot + "/Pics/*"});
    job->Settings.Backup.PerformFullBackup_EveryCopies = 10;
    writeSource("Docs/a.txt");
    writeSource("Pics/p1.jpg");
    writeSource("Pics/album/p2.jpg");
    runBackup();
    const QStringList filesBefore = storedBookkeeping().PreviousLocalFilesList;
    const QStringList stampsBefore = storedBookkeeping().PreviousLocalFilesTimeList;

    ASSERT_TRUE(QDir().rename(sourceRoot + "/Pics", sourceRoot + "/Pics-unplugged"));
    runBackup();
    EXPECT_TRUE(logHas("WARNING: The source does not exist: " + sourceRoot + "/Pics"));
    EXPECT_TRUE(logHas("is finished with warnings. Files copied: 0."));
    TRemoteBookkeeping stored = storedBookkeeping();
    EXPECT_EQ(QSet<QString>(stored.PreviousLocalFilesList.begin(), stored.PreviousLocalFilesList.end()),
              QSet<QString>(filesBefore.begin(), filesBefore.end()));
    EXPECT_TRUE(stored.PreviousLocalDirsList.contains("Pics/album"));
    EXPECT_EQ(stored.PreviousLocalFilesTimeList[stored.PreviousLocalFilesList.indexOf("Pics/album/p2.jpg")],
              stampsBefore[filesBefore.indexOf("Pics/album/p2.jpg")]);
    if (GetParam() == btSync) {
        EXPECT_TRUE(QFile::exists(storedPath("Pics/album/p2.jpg")));
    } else {
        const QString increment = subfolder(6, "Incremental");
        EXPECT_EQ(readFile(storedPath(increment + "/_rrf.obl")), kMark);
        EXPECT_EQ(readFile(storedPath(increment + "/_rrd.obl")), kMark);
    }

    ASSERT_TRUE(QDir().rename(sourceRoot + "/Pics-unplugged", sourceRoot + "/Pics"));
    runBackup();
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished. Files copied: 0."));
    if (GetParam() == btSync) {
        EXPECT_TRUE(QFile::exists(storedPath("Pics/album/p2.jpg")));
    }
}

INSTANTIATE_TEST_SUITE_P(Types, ComingAndGoingTest, ::testing::Values(btSync, btInc),
                         [](const auto& info) { return info.param == btSync ? "Mirror" : "Incremental"; });

TEST_F(EngineTest, AFileThatCannotBeReadKeepsItsStoredCopyAndIsCopiedLater)
{
    ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*"});
    GlobalOptions.Processing.SkipLockedFiles = true;
    const QString path = writeSource("Docs/a.txt", "old");
    writeSource("Docs/b.txt", "b");
    runBackup();
    const QString oldStamp =
        storedBookkeeping()
            .PreviousLocalFilesTimeList[storedBookkeeping().PreviousLocalFilesList.indexOf("Docs/a.txt")];

    writeSource("Docs/a.txt", "new");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0); // another program holds the file
    runBackup();
    ::close(fd);
    EXPECT_EQ(readFile(storedPath("Docs/a.txt")), "old");
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished. Files copied: 0."));
    TRemoteBookkeeping stored = storedBookkeeping();
    EXPECT_EQ(stored.PreviousLocalFilesTimeList[stored.PreviousLocalFilesList.indexOf("Docs/a.txt")],
              oldStamp);

    runBackup();
    EXPECT_TRUE(logHas("Files copied: 1."));
    EXPECT_EQ(readFile(storedPath("Docs/a.txt")), "new");
}
} // namespace
