// zorvanbackup-cli verify that does not get to its end: Ctrl-C in the middle of reading, and a storage
// that cannot be reached. Both exit with 3 and say why.
#include "EngineTestSupport.h"

#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobNames.h"
#include "platform/JobRunLock.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

using namespace TestEnvironment;

namespace {

class CliVerifyStopTest : public EngineTest
{
protected:
    void saveJobForCommandLine()
    {
        QDir().mkpath(StandardFolders::applicationDataFolder());
        ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath(job->stJobName)));
        writeFile(JobsListFilePath(), "\xEF\xBB\xBF" + job->stJobName.toUtf8() + "\r\n");
    }
};

} // namespace

TEST_F(CliVerifyStopTest, CtrlCStopsTheReadingAndExitsCancelled)
{
    ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
    for (int i = 0; i < 2000; ++i)
        writeSource(QStringLiteral("Docs/%1/f%2.bin").arg(i % 40).arg(i),
                    QByteArray(16 * 1024, char('a' + i % 26)));
    runBackup();
    ASSERT_EQ(job->LastJobResult.ErrorsCount.load(), 0);
    saveJobForCommandLine();

    QProcess verify;
    verify.setProgram(QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli"));
    verify.setArguments({"verify", job->stJobName, "--read-data"});
    verify.start();
    ASSERT_TRUE(verify.waitForStarted());
    // The command holds the job's run lock from its start to its end.
    const QString lock = TJobRunLock::lockFilePath(FoldJobName(job->stJobName));
    ASSERT_TRUE(
        waitFor([&] { return QFileInfo::exists(lock) || verify.state() != QProcess::Running; }, 30000));
    ASSERT_EQ(verify.state(), QProcess::Running) << verify.readAllStandardOutput().toStdString();
    ::kill(qint64(verify.processId()), SIGINT);
    ASSERT_TRUE(verify.waitForFinished(60000));
    const QString out = QString::fromUtf8(verify.readAllStandardOutput());
    EXPECT_EQ(verify.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(verify.exitCode(), CliApp::kCancelled) << out.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last(), "Verification cancelled.") << out.toStdString();
    const QRegularExpressionMatch checked = QRegularExpression(": (\\d+) files checked").match(out);
    ASSERT_TRUE(checked.hasMatch()) << out.toStdString();
    EXPECT_LT(checked.captured(1).toInt(), 2000) << "stopped before the end";
    EXPECT_TRUE(lines.filter(QRegularExpression(" bytes read, cancelled$")).size() == 1) << out.toStdString();
    const QByteArray err = verify.readAllStandardError();
    EXPECT_FALSE(err.contains('\r')) << "no progress line in a pipe: " << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(lock));
}

TEST_F(CliVerifyStopTest, StorageThatCannotBeReachedExitsCancelled)
{
    ZORVAN_SKIP_UNLESS(useSmbDestination(), "smbd cannot run here (needs root and samba)");
    ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
    writeSource("Docs/a.txt", "alpha");
    runBackup();
    saveJobForCommandLine();
    ASSERT_EQ(RunCli({"verify", job->stJobName, "--read-data"}).code, 0);

    smb->stop();
    const CliRun run = RunCli({"verify", job->stJobName, "--read-data"});
    ASSERT_TRUE(smb->start()) << smb->errorText().toStdString();
    EXPECT_EQ(run.code, CliApp::kCancelled) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("Unable to connect to the backup storage.")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}
