// zorvanbackup-cli create, backup and remove: options and exit codes, one run per job at a time, Ctrl-C,
// and runs killed in the middle that the next run cleans up after.
#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/CopyFile.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/LoopVolume.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <thread>

using namespace TestEnvironment;

namespace {
QString cliProgram()
{
    return QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli");
}

class CliBackupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        root = makeFolder("cli");
        writeFile(root + "/src/Docs/a.txt", "alpha");
        writeFile(root + "/src/Docs/sub/b.txt", "beta");
        writeFile(root + "/src/single.txt", "single");
        QDir().mkpath(root + "/dest");
    }
    // Starts the program itself, as a user would.
    std::unique_ptr<QProcess> startProgram(const QStringList& args)
    {
        auto process = std::make_unique<QProcess>();
        process->setProgram(cliProgram());
        process->setArguments(args);
        process->start();
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }
    // Reads the program's output until a line matches `text` `count` times.
    static bool waitForOutput(QProcess& process, const QString& text, int count, QByteArray& seen)
    {
        while (seen.count(text.toUtf8()) < count) {
            if (process.state() != QProcess::Running && process.bytesAvailable() == 0)
                return false;
            process.waitForReadyRead(100);
            seen += process.readAllStandardOutput();
        }
        return true;
    }
    void makeManyFiles(int count)
    {
        for (int i = 0; i < count; ++i)
            writeFile(QStringLiteral("%1/src/Docs/many/%2/f%3.bin").arg(root).arg(i % 50).arg(i),
                      QByteArray(2048, char('a' + i % 26)));
    }
    QString root;
};

TEST_F(CliBackupTest, CreateStoresTheJobAsTheProgramDoes)
{
    writeFile(root + "/password", "s3cret\n");
    const CliRun created =
        RunCli({"create",   "Docs",           "--source", root + "/src/Docs", root + "/src/single.txt",
                "--source", root + "/gone/*", "--dest",   "//nas/backups",    "--type",
                "full",     "--keep-full",    "3",        "--remove-before",  "--include",
                "TXT; doc", "--user",         "ann",      "--password-file",  root + "/password"});
    ASSERT_EQ(created.code, CliApp::kOk) << created.err.toStdString();
    TJobCatalogue jobs;
    ASSERT_TRUE(jobs.LoadJobsListAndJobs());
    auto* job = dynamic_cast<TJob_FilesAndFolders*>(jobs.findByName("docs"));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->Settings.Sources.List,
              QStringList({root + "/src/Docs/*", root + "/src/single.txt", root + "/gone/*"}));
    EXPECT_EQ(job->Settings.Sources.FilterType, ftIncludeOnly);
    EXPECT_EQ(job->Settings.Sources.Extensions, "txt;doc");
    EXPECT_EQ(job->Settings.Backup.BackupType, btFull);
    EXPECT_EQ(job->Settings.Backup.NumberFullCopiesToKeep, 3);
    EXPECT_EQ(job->Settings.Backup.PerformFullBackup_EveryCopies, 5);
    EXPECT_TRUE(job->Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup);
    EXPECT_TRUE(job->NewSubfolderIsCreatedForEachBackup);
    EXPECT_EQ(job->DestinationType, dtNetwork);
    EXPECT_EQ(job->Destination_NetworkUsername, "ann");
    EXPECT_EQ(job->Destination_NetworkPassword, "s3cret");

    const struct
    {
        QStringList args;
    } refused[] = {
        {{"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest"}}, // exists already
        {{"create", "New", "--source", root + "/missing", "--dest", root + "/dest"}},
        {{"create", "New", "--dest", root + "/dest"}},
        {{"create", "New", "--source", root + "/src/Docs", "--dest", root + "/dest", "--type", "daily"}},
        {{"create", "New", "--source", root + "/src/Docs", "--dest", root + "/dest", "--full-every", "-1"}},
        {{"create", "New", "--source", root + "/src/Docs", "--dest", root + "/dest", "--include", "txt",
          "--exclude", "doc"}},
        {{"create", "a/b", "--source", root + "/src/Docs", "--dest", root + "/dest"}},
        {{"create", "New", "--source", root + "/src/Docs", "--dest", root + "/dest", "--user", "u"}},
    };
    for (const auto& c : refused)
        EXPECT_EQ(RunCli(c.args).code, CliApp::kUsage) << c.args.join(' ').toStdString();
}

TEST_F(CliBackupTest, BackupExitCodesFollowTheRunsOutcome)
{
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest", "--type",
                      "mirror"})
                  .code,
              CliApp::kOk);
    CliRun run = RunCli({"backup", "Docs"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Backup job \"Docs\" is finished. Files copied: 2."));
    // The error stream gets the events the log does not already say.
    EXPECT_TRUE(run.err.contains("Starting the \"Docs\" backup.")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("is finished")) << run.err.toStdString();
    EXPECT_EQ(readFile(root + "/dest/Docs/Docs/sub/b.txt"), "beta");
    // The job file, history and log were written as the program writes them.
    TJobCatalogue jobs;
    ASSERT_TRUE(jobs.LoadJobsListAndJobs());
    EXPECT_GT(jobs.findByName("Docs")->LastJobResult.EndTime.load(), 0);
    EXPECT_EQ(jobs.findByName("Docs")->LogList.size(), 1);
    EXPECT_FALSE(jobs.findByName("Docs")->BackupHistory.isEmpty());

    ASSERT_EQ(RunCli({"create", "Gone", "--source", root + "/gone/*", "--dest", root + "/dest"}).code, 0);
    EXPECT_EQ(RunCli({"backup", "Gone"}).code, CliApp::kFinishedWithWarnings);
    ASSERT_EQ(
        RunCli({"create", "Unplugged", "--source", root + "/src/Docs", "--dest", root + "/dest/x"}).code, 0);
    QDir(root + "/dest/x").removeRecursively();
    run = RunCli({"backup", "Unplugged"});
    EXPECT_EQ(run.code, CliApp::kCancelled);
    EXPECT_TRUE(run.out.contains("Backup is cancelled.")) << run.out.toStdString();
    EXPECT_EQ(RunCli({"backup", "Nobody"}).code, CliApp::kUsage);
    EXPECT_EQ(RunCli({"backup"}).code, CliApp::kUsage);
}

TEST_F(CliBackupTest, RemoveTakesTheJobAndOptionallyItsBackups)
{
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest"}).code, 0);
    ASSERT_EQ(RunCli({"create", "Keep", "--source", root + "/src/Docs", "--dest", root + "/dest"}).code, 0);
    ASSERT_EQ(RunCli({"backup", "Docs"}).code, 0);
    ASSERT_EQ(RunCli({"backup", "Keep"}).code, 0);
    CliRun removed = RunCli({"remove", "docs", "--with-backups"});
    EXPECT_EQ(removed.code, CliApp::kOk) << removed.err.toStdString();
    EXPECT_TRUE(
        removed.out.contains("The backup folder has been removed successfully on the storage device."));
    EXPECT_TRUE(removed.out.contains("Job is removed."));
    EXPECT_FALSE(QFileInfo::exists(root + "/dest/Docs"));
    EXPECT_FALSE(QFileInfo::exists(root + "/dest/Docs.kxj"));
    EXPECT_FALSE(QFileInfo::exists(LocalJobFilePath("Docs")));
    EXPECT_EQ(RunCli({"remove", "Keep"}).code, CliApp::kOk);
    EXPECT_TRUE(QFileInfo::exists(root + "/dest/Keep.kxj")); // the backups stay without --with-backups
    TJobCatalogue jobs;
    jobs.LoadJobsListAndJobs();
    EXPECT_EQ(jobs.count(), 0);
    EXPECT_EQ(RunCli({"remove", "Keep"}).code, CliApp::kUsage);
}

TEST_F(CliBackupTest, OneRunPerJobAndCtrlCCancels)
{
    makeManyFiles(4000);
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest"}).code, 0);
    auto first = startProgram({"backup", "Docs"});
    QByteArray seen;
    ASSERT_TRUE(waitForOutput(*first, "Copying the file: " + root + "/src/Docs/many", 20, seen));

    // A second start, from another process or from this one, is refused while the first runs.
    auto second = startProgram({"backup", "Docs"});
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitCode(), CliApp::kCancelled);
    EXPECT_TRUE(second->readAllStandardError().contains("Job is currently running."));
    EXPECT_EQ(RunCli({"remove", "Docs", "--with-backups"}).code, CliApp::kCancelled);

    ::kill(qint64(first->processId()), SIGINT);
    ASSERT_TRUE(first->waitForFinished(60000));
    seen += first->readAllStandardOutput();
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), CliApp::kCancelled);
    EXPECT_TRUE(seen.contains(": Backup is cancelled.")) << seen.right(2000).toStdString();
    EXPECT_TRUE(QFileInfo::exists(root + "/dest/Docs/_startflag.obl"));
}

TEST_F(CliBackupTest, RunKilledInTheMiddleIsCleanedUpByTheNextRun)
{
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest", "--type",
                      "incremental"})
                  .code,
              0);
    ASSERT_EQ(RunCli({"backup", "Docs"}).code, CliApp::kOk);
    const QStringList firstBackup = QDir(root + "/dest/Docs").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(firstBackup.size(), 1);
    const QString full = root + "/dest/Docs/" + firstBackup.first();
    const QByteArray kxjBefore = readFile(root + "/dest/Docs.kxj");

    makeManyFiles(4000);
    auto killed = startProgram({"backup", "Docs"});
    QByteArray seen;
    ASSERT_TRUE(waitForOutput(*killed, "Copying the file: " + root + "/src/Docs/many", 30, seen));
    killed->kill(); // SIGKILL: no chance to clean up
    ASSERT_TRUE(killed->waitForFinished(30000));
    EXPECT_EQ(killed->exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(QFileInfo::exists(root + "/dest/Docs/_startflag.obl"));
    EXPECT_EQ(readFile(root + "/dest/Docs.kxj"), kxjBefore);

    const CliRun again = RunCli({"backup", "Docs"});
    EXPECT_EQ(again.code, CliApp::kFinishedWithWarnings) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains(
        "WARNING: The previous backup has been cancelled and the backup files may be corrupted."));
    EXPECT_TRUE(again.out.contains("We have to remove the previous backup.")); // the default options
    EXPECT_TRUE(again.out.contains("is finished with warnings. Files copied: 4000."));
    EXPECT_FALSE(QFileInfo::exists(root + "/dest/Docs/_startflag.obl"));
    // The earlier full backup is untouched; the killed run's partial folder is gone.
    EXPECT_EQ(readFile(full + "/Docs/a.txt"), "alpha");
    EXPECT_EQ(readFile(full + "/Docs/sub/b.txt"), "beta");
    const QStringList now = QDir(root + "/dest/Docs").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(now.size(), 2) << now.join(", ").toStdString();
    EXPECT_TRUE(now.contains(firstBackup.first()));
}

// Onto another volume than the temporary folder's (an ext4 image), a file is copied once, beside its
// target under a temporary name: while a large file is being copied only that name holds it, and the
// job's temporary folder holds no copy. A run killed then leaves no part of the file under its own name;
// the next mirror run removes the leftover and copies the file.
TEST_F(CliBackupTest, KilledWhileCopyingOntoAnotherVolumeLeavesNoHalfFile)
{
    LoopVolume volume(root + "/storage.img", root + "/mnt", "ZBDEST", false, 160);
    ZORVAN_SKIP_UNLESS(volume.mounted(), volume.errorText().toStdString());
    const QByteArray big(96 << 20, 'z');
    writeFile(root + "/src/Docs/big.bin", big);
    const QString stored = volume.mountPoint() + "/Docs/Docs";
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", volume.mountPoint(),
                      "--type", "mirror"})
                  .code,
              0);
    const auto largeFilesIn = [](const QString& folder) {
        QStringList found;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.fileInfo().size() > (1 << 20))
                found.append(it.fileName());
        }
        return found;
    };

    auto killed = startProgram({"backup", "Docs"});
    QStringList during;
    for (int i = 0; i < 30000 && killed->state() == QProcess::Running; ++i) {
        during = largeFilesIn(volume.mountPoint());
        if (!during.isEmpty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const QStringList inTemporaryFolder = largeFilesIn(StandardFolders::cacheFolder());
    killed->kill(); // SIGKILL: no chance to clean up
    ASSERT_TRUE(killed->waitForFinished(30000));
    ASSERT_EQ(during.size(), 1);
    EXPECT_TRUE(IsTemporaryNameBeside(during.first()) || during.first() == "big.bin")
        << during.first().toStdString();
    EXPECT_EQ(inTemporaryFolder, QStringList());
    if (QFileInfo::exists(stored + "/big.bin")) {
        EXPECT_EQ(QFileInfo(stored + "/big.bin").size(), big.size()) << "only a complete file has the name";
    }

    const CliRun again = RunCli({"backup", "Docs"});
    EXPECT_NE(again.code, CliApp::kCancelled) << again.out.toStdString();
    EXPECT_EQ(readFile(stored + "/big.bin"), big);
    EXPECT_EQ(largeFilesIn(volume.mountPoint()), QStringList("big.bin"));
    EXPECT_EQ(largeFilesIn(StandardFolders::cacheFolder()), QStringList());
}
} // namespace
