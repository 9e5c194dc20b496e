// zorvanbackup-cli points, restore and import, run in this process with their output in buffers, and
// once as the real program.
#include "RestoreTestSupport.h"

#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "platform/JobRunLock.h"
#include "platform/StandardFolders.h"
#include "support/TestEnvironment.h"

#include "support/CliRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace TestEnvironment;

namespace {
const QString F1 = "2024-06-30 21;05;00 (Full)";
const QString I1 = "2024-06-30 21;06;00 (Incremental)";

CliRun runCli(const QStringList& args)
{
    return RunCli(args);
}

class CliRestoreTest : public RestoreTest
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        writePoint({F1, {{"Docs/a.txt", "alpha"}}, {"Docs"}, {}, {}});
        writePoint({I1, {{"Docs/a.txt", "alpha 2"}}, {}, {}, {}});
        writeRemoteJobFile({"Incremental)", F1, I1});
        saveJob();
    }

    void saveJob()
    {
        ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath(job->stJobName)));
        writeFile(JobsListFilePath(), "\xEF\xBB\xBF" + job->stJobName.toUtf8() + "\r\n");
    }
};

TEST_F(CliRestoreTest, PointsListsTheLabelsWithTheIndexRestoreTakes)
{
    const CliRun run = runCli({"points", "docs JOB"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
    EXPECT_EQ(run.out, "0  2024-06-30 21:05:00 (Full)\n1  2024-06-30 21:06:00 (Incremental)\n");
    EXPECT_FALSE(QFileInfo::exists(StandardFolders::cacheFolder() + "/ZorvanBackupTmp/Docs job.kxj"));

    EXPECT_EQ(runCli({"points", "Nobody"}).code, CliApp::kUsage);
    EXPECT_EQ(runCli({"points"}).code, CliApp::kUsage);

    job->Settings.Backup.BackupType = btSync;
    writeRemoteJobFile({"Syncronization)"}, {}, {});
    const CliRun mirror = runCli({"points", "Docs job"});
    EXPECT_EQ(mirror.code, CliApp::kOk);
    EXPECT_TRUE(mirror.out.startsWith("The backup is a mirror: it has no restore points."))
        << mirror.out.toStdString();

    QFile::remove(backupRoot() + ".kxj");
    const CliRun missing = runCli({"points", "Docs job"});
    EXPECT_EQ(missing.code, CliApp::kCancelled);
    EXPECT_TRUE(
        missing.err.contains("Unable to copy the job file \"Docs job.kxj\" from the backup directory."));
}

TEST_F(CliRestoreTest, RestoreTakesTheLatestPointOrTheOneAskedFor)
{
    const QString latest = root() + "/restored/latest"; // made when missing
    CliRun run = runCli({"restore", "Docs job", "--to", latest});
    EXPECT_EQ(run.code, CliApp::kOk) << run.err.toStdString() << run.out.toStdString();
    EXPECT_EQ(readFile(latest + "/Docs/a.txt"), "alpha 2");
    EXPECT_TRUE(run.out.contains("Restore job \"Docs job\" is finished.")) << run.out.toStdString();

    const QString first = freshOutput();
    run = runCli({"restore", "Docs job", "--to", first, "--point", "0"});
    EXPECT_EQ(run.code, CliApp::kOk);
    EXPECT_EQ(readFile(first + "/Docs/a.txt"), "alpha");
    // The job's history and log list were saved by the run.
    TJob_FilesAndFolders saved("Docs job");
    ASSERT_TRUE(saved.LoadLocalJobFile(LocalJobFilePath("Docs job")));
    EXPECT_EQ(saved.LogList.size(), 2);
}

TEST_F(CliRestoreTest, ExitCodesOfTheRestore)
{
    const QString out = freshOutput();
    CliRun run = runCli({"restore", "Docs job", "--to", out, "--point", "7"});
    EXPECT_EQ(run.code, CliApp::kUsage);
    EXPECT_TRUE(run.err.contains("no restore point 7")) << run.err.toStdString();
    EXPECT_EQ(runCli({"restore", "Docs job"}).code, CliApp::kUsage);
    EXPECT_EQ(runCli({"restore", "Docs job", "--to", out, "--point", "x"}).code, CliApp::kUsage);
    EXPECT_EQ(runCli({"restore", "Docs job", "--to", out, "--point", "0", "--latest"}).code, CliApp::kUsage);
    EXPECT_EQ(runCli({"restore", "Nobody", "--to", out}).code, CliApp::kUsage);

    // A refused hostile entry: finished with errors.
    ASSERT_TRUE(WriteCatalogFileFor(I1, "_rf.obl", {"Docs/a.txt", "../evil.txt"}));
    EXPECT_EQ(runCli({"restore", "Docs job", "--to", out}).code, CliApp::kFinishedWithErrors);

    // The job runs elsewhere.
    {
        TJobRunLock other(FoldJobName("Docs job"));
        ASSERT_TRUE(other.tryLock());
        run = runCli({"restore", "Docs job", "--to", out});
        EXPECT_EQ(run.code, CliApp::kCancelled);
        EXPECT_TRUE(run.err.contains("Docs job: Job is currently running.")) << run.err.toStdString();
        EXPECT_EQ(runCli({"points", "Docs job"}).code, CliApp::kCancelled);
    }

    // The storage is gone.
    job->DestinationPath = destinationFolder + "/unplugged";
    saveJob();
    run = runCli({"restore", "Docs job", "--to", out});
    EXPECT_EQ(run.code, CliApp::kCancelled);
    EXPECT_TRUE(run.err.contains("Unable to connect to the backup storage.")) << run.err.toStdString();

    // A mirror job takes no point.
    job->Settings.Backup.BackupType = btSync;
    saveJob();
    EXPECT_EQ(runCli({"restore", "Docs job", "--to", out, "--point", "0"}).code, CliApp::kUsage);
}

TEST_F(CliRestoreTest, ImportAddsTheJobOnce)
{
    TJob_FilesAndFolders other("x");
    other.DestinationPath = destinationFolder;
    other.Settings.Sources.List = {"/srv/data/*"};
    other.SaveRemoteJobFile(destinationFolder + "/Weekly.kxj", TRemoteBookkeeping());

    CliRun run = runCli({"import", destinationFolder + "/Weekly.kxj"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Job \"Weekly\" is imported")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("Job is open: \"Weekly\".")) << run.err.toStdString();
    EXPECT_TRUE(runCli({"list"}).out.contains("Weekly"));

    run = runCli({"import", destinationFolder + "/Weekly.kxj"});
    EXPECT_EQ(run.code, CliApp::kUsage);
    EXPECT_TRUE(run.err.contains("Job \"Weekly\" already exists. Please specify another name."));
    EXPECT_EQ(runCli({"import", destinationFolder + "/Weekly.obd"}).code, CliApp::kUsage);
    EXPECT_EQ(runCli({"import", destinationFolder + "/Missing.kxj"}).code, CliApp::kFinishedWithErrors);
}

TEST_F(CliRestoreTest, TheProgramRestoresAndReportsThroughItsExitCode)
{
    const QString out = freshOutput();
    QProcess cli;
    cli.start(QStringLiteral(ZORVAN_BIN_DIR) + "/zorvanbackup-cli",
              {"restore", "Docs job", "--to", out, "--point", "0"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(readFile(out + "/Docs/a.txt"), "alpha");
}

} // namespace
