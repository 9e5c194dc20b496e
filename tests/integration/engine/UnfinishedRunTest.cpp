// A storage that refuses writes (pause and resume, pause and cancel, cancel at once) and the next run's
// handling of the unfinished backup it leaves behind.
#include "EngineTestSupport.h"

#include "base/Clock.h"
#include "events/EventsLog.h"
#include "options/uOptions.h"
#include "support/TestEnvironment.h"
#include "support/WithoutPrivileges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

using namespace TestEnvironment;

namespace {
const QByteArray kMark("\xEF\xBB\xBF");

class RefusalTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
        writeSource("Docs/a.txt", "alpha");
        writeSource("Docs/sub/b.txt", "beta");
    }
    // A file where the run's folder "Docs" must be: every copy into it is refused.
    void blockFolder(const QString& relative) { writeFile(storedPath(relative), "in the way"); }
    void unblockFolder(const QString& relative)
    {
        QFile::remove(storedPath(relative));
        QDir().mkpath(storedPath(relative));
    }
    void waitUntilPausedByTheStorage()
    {
        ASSERT_TRUE(waitFor([this] {
            return job->JobStatus == jsPaused &&
                   job->CurrentFileOperationType == atNone_WaitingForReconnection;
        }));
    }
    // A run stopped by the storage and then cancelled by the user, with its start flag left behind.
    void leaveAnUnfinishedRun(const QString& blocked)
    {
        GlobalOptions.Processing.IfDestinationNotAvailable_Then = 1;
        blockFolder(blocked);
        startBackup();
        waitUntilPausedByTheStorage();
        job->Cancel();
        waitUntilIdle();
        Clock::advanceTestTime(60 * 1000);
        QFile::remove(storedPath(blocked));
        GlobalOptions.Processing.IfDestinationNotAvailable_Then = 0;
    }
    const QString first = subfolder(5, "Full");
};

TEST_F(RefusalTest, PausedRunRetriesTheSameFileAfterResume)
{
    GlobalOptions.Processing.IfDestinationNotAvailable_Then = 1;
    blockFolder(first + "/Docs/sub");
    startBackup();
    waitUntilPausedByTheStorage();
    EXPECT_FALSE(logHas("The job will be cancelled"));
    unblockFolder(first + "/Docs/sub");
    job->JobStatus = jsRunning; // the user resumes
    waitUntilIdle();
    EXPECT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
    EXPECT_EQ(readFile(storedPath(first + "/Docs/a.txt")), "alpha");
    EXPECT_EQ(readFile(storedPath(first + "/Docs/sub/b.txt")), "beta");
    // The refused attempt was logged as an error.
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with errors. Files copied: 2."));
    EXPECT_FALSE(QFile::exists(storedPath("_startflag.obl")));
}

TEST_F(RefusalTest, CancelWhilePausedEndsAsCancelledAndKeepsTheStartFlag)
{
    EventsQueue().takeAll();
    leaveAnUnfinishedRun(first + "/Docs");
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(logHas("Backup is cancelled."));
    EXPECT_TRUE(EventsQueue().takeAll().last().endsWith("\"Docs job\" backup is cancelled."));
    EXPECT_TRUE(job->BackupHistory.last().endsWith(": Backup is cancelled."));
    EXPECT_EQ(readFile(storedPath("_startflag.obl")), kMark + first.toUtf8() + "\r\n");
    EXPECT_FALSE(QFile::exists(backupRoot() + ".kxj")); // no run has finished yet
}

TEST_F(RefusalTest, CancelPolicyWarnsAndStops)
{
    blockFolder(first + "/Docs");
    runBackup();
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_EQ(job->LastJobResult.WarningsCount, 1);
    const QString warning = logLineWith("WARNING: The job will be cancelled");
    EXPECT_TRUE(warning.endsWith(
        "WARNING: The job will be cancelled because destination is not accepting the file.\r\n"
        "Possible reasons: device is disconnected; device is corrupted; network issues; transfer is blocked "
        "by "
        "antivirus.\r\nIf you do not want to cancel the job next time, please open the General Options, the "
        "tab "
        "\"Backup\".\r\nSelect the option \"Pause the job and wait for your action\"."))
        << warning.toStdString();
    const QStringList log = logLines();
    EXPECT_EQ(log[log.indexOf(warning) - 1], "");
    // The run log file holds the four-line entry as it stands.
    const QByteArray saved =
        readFile(GlobalOptions.Logging.PathForLogFiles + "/Docs job/2024-06-30 21;05;00.txt");
    EXPECT_TRUE(saved.contains("file.\r\nPossible reasons:"));
    EXPECT_TRUE(saved.contains(": Backup is cancelled.\r\n"));
}

TEST_F(RefusalTest, UnfinishedBackupIsRenamedWhenItIsToBeKept)
{
    GlobalOptions.Processing.RemovePreviousBackupIfCancelled = false;
    job->Settings.Backup.NumberFullCopiesToKeep = 1;
    leaveAnUnfinishedRun(first + "/Docs");
    runBackup();
    EXPECT_TRUE(
        logHas("WARNING: The previous backup has been cancelled and the backup files may be corrupted."));
    EXPECT_FALSE(logHas("We have to remove the previous backup."));
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with warnings. Files copied: 2."));
    EXPECT_TRUE(QFileInfo(storedPath(first + " CANCELED")).isDir());
    EXPECT_FALSE(QFileInfo::exists(storedPath(first)));
    runBackup(); // retention keeps one full copy, and never touches the cancelled one
    EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Full)", subfolder(7, "Full")}));
    EXPECT_EQ(treeOf(backupRoot()).filter(QRegularExpression("^[^/]+/$")),
              QStringList({first + " CANCELED/", subfolder(7, "Full") + "/"}));
}

TEST_F(RefusalTest, UnfinishedBackupIsRemovedWhenTheOptionsSaySo)
{
    leaveAnUnfinishedRun(first + "/Docs");
    runBackup();
    EXPECT_TRUE(
        logHas("WARNING: The previous backup has been cancelled and the backup files may be corrupted."));
    EXPECT_TRUE(logHas("We have to remove the previous backup."));
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with warnings. Files copied: 2."));
    EXPECT_EQ(treeOf(backupRoot()).filter(QRegularExpression("^[^/]+/$")),
              QStringList({subfolder(6, "Full") + "/"}));
    EXPECT_FALSE(QFile::exists(storedPath("_startflag.obl")));
}

TEST_F(RefusalTest, UnfinishedMirrorRunIsCompletedWithoutRemovingTheMirror)
{
    ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*"});
    writeSource("Docs/c.txt", "gamma");
    writeSource("Docs/.zorvan-0000000000000001.part", "a source file that looks like a partial copy");
    runBackup();
    writeSource("Docs/a.txt", "alpha 2");
    writeSource("Docs/sub/new.txt", "new");
    QFile::remove(sourceRoot + "/Docs/c.txt");
    // A folder in the way of a new file: the storage refuses that copy and the run is cancelled.
    writeFile(storedPath("Docs/sub/new.txt/blocker"), "x");
    GlobalOptions.Processing.IfDestinationNotAvailable_Then = 1;
    startBackup();
    waitUntilPausedByTheStorage();
    job->Cancel();
    waitUntilIdle();
    Clock::advanceTestTime(60 * 1000);
    GlobalOptions.Processing.IfDestinationNotAvailable_Then = 0;
    QDir(storedPath("Docs/sub/new.txt")).removeRecursively();
    EXPECT_EQ(readFile(storedPath("_startflag.obl")), kMark); // a mirror's flag names no subfolder
    // Copies a killed run was writing stay under their temporary names beside their targets.
    writeFile(storedPath("Docs/.zorvan-00112233445566ff.part"), "partial");
    writeFile(storedPath("Docs/sub/.zorvan-a0b1c2d3e4f5a6b7.part"), "partial");
    writeFile(storedPath("Docs/sub/.zorvan-notours.part"), "not a name the program makes");

    runBackup();
    EXPECT_TRUE(
        logHas("WARNING: The previous backup has been cancelled and the backup files may be corrupted."));
    EXPECT_FALSE(logHas("We have to remove the previous backup."));
    EXPECT_FALSE(logHas("Removing the full directory:"));
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with warnings."));
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0);
    EXPECT_TRUE(logHas("Removing the file: " + storedPath("Docs/.zorvan-00112233445566ff.part")));
    EXPECT_EQ(treeOf(backupRoot()), QStringList({"Docs/", "Docs/.zorvan-0000000000000001.part", "Docs/a.txt",
                                                 "Docs/sub/", "Docs/sub/.zorvan-notours.part",
                                                 "Docs/sub/b.txt", "Docs/sub/new.txt", "_checksums.obl"}));
    EXPECT_EQ(readFile(storedPath("Docs/a.txt")), "alpha 2");
    EXPECT_EQ(readFile(storedPath("Docs/sub/new.txt")), "new");
    EXPECT_FALSE(QFile::exists(storedPath("_startflag.obl")));
}

// A folder of the backup that is there but refuses new files, as an ordinary user's read-only folder
// does: the copy that would be made beside its target is refused by the storage, so the refusal rule
// applies (and not the skip of a source that cannot be read). Root writes anywhere: the run's worker
// starts without privileges.
class RefusedBesideTargetTest : public RefusalTest, public ::testing::WithParamInterface<qint32>
{
};

TEST_P(RefusedBesideTargetTest, FollowsTheRefusalRule)
{
    const qint32 policy = GetParam();
    GlobalOptions.Processing.IfDestinationNotAvailable_Then = policy;
    const QString docs = storedPath(first + "/Docs");
    QDir().mkpath(docs + "/sub");
    const auto setModes = [&docs](mode_t mode) {
        for (const QString& folder : {docs, docs + "/sub"})
            ::chmod(QFile::encodeName(folder).constData(), mode);
    };
    setModes(0555);
    {
        TWithoutPrivileges ordinaryUser;
        startBackup();
    }
    if (policy == 1) {
        waitUntilPausedByTheStorage();
        EXPECT_FALSE(logHas("The job will be cancelled"));
        setModes(0755);             // the user makes room
        job->JobStatus = jsRunning; // and resumes
    }
    waitUntilIdle();
    setModes(0755);
    const QString log = logLines().join('\n');
    EXPECT_TRUE(logHas("ERROR: System Error.  Code: 13.Permission denied")) << log.toStdString();
    if (policy == 0) {
        EXPECT_TRUE(
            logHas("WARNING: The job will be cancelled because destination is not accepting the file."))
            << log.toStdString();
        EXPECT_TRUE(job->LastJobResult.Cancelled);
    } else {
        EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with errors. Files copied: 2."))
            << log.toStdString();
        EXPECT_EQ(readFile(docs + "/a.txt"), "alpha");
        EXPECT_EQ(readFile(docs + "/sub/b.txt"), "beta");
    }
    EXPECT_TRUE(treeOf(docs).filter(".zorvan-").isEmpty()) << treeOf(docs).join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Policies, RefusedBesideTargetTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Cancel" : "Pause"; });
} // namespace
