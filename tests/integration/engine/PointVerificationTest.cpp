// Verifying a restore point: an incremental chain of three points whose stored copies are damaged in
// three ways (one bit flipped, one file cut short, one deleted), on a local disk and on a share; and a
// backup without checksums, which is unverifiable but not faulty.
#include "EngineTestSupport.h"
#include "RestoreTestSupport.h"

#include "engine/ChecksumFile.h"
#include "engine/PointVerification.h"
#include "engine/RestorePoints.h"
#include "jobs/JobCatalogue.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QRegularExpression>

#include <map>

using namespace TestEnvironment;

namespace {

class PointVerificationTest : public EngineTest, public ::testing::WithParamInterface<Destination>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != Destination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
        job->Settings.Backup.PerformFullBackup_EveryCopies = 5;
        writeSource("Docs/flipped.bin", QByteArray(9 * 1024 * 1024 + 3, 'f')); // more than one chunk
        writeSource("Docs/cut.txt", "will be cut");
        writeSource("Docs/gone.txt", "will be gone");
        writeSource("Docs/fine.txt", "stays fine");
        runBackup(); // 21:05 full
        writeSource("Docs/cut.txt", "will be cut, second version");
        runBackup(); // 21:06 incremental
        writeSource("Docs/gone.txt", "will be gone, third version");
        runBackup(); // 21:07 incremental
        full = subfolder(5, "Full");
        inc1 = subfolder(6, "Incremental");
        inc2 = subfolder(7, "Incremental");
    }

    TVerifyResult verify(bool readData)
    {
        const TRestorePointList list = ReadRestorePointList(*job);
        const QStringList points = list.MainBackupList.mid(1);
        EXPECT_EQ(points.size(), 3);
        return VerifyPoint(*job, points, qint32(points.size() - 1), readData);
    }

    // Problem kind by the stored copy's path below the backup root.
    std::map<QString, TVerifyProblemKind> problemsOf(const TVerifyResult& result)
    {
        std::map<QString, TVerifyProblemKind> found;
        for (const TVerifyProblem& p : result.Problems) {
            for (const QString& folder : {full, inc1, inc2}) {
                if (const qsizetype at = p.Path.indexOf('/' + folder + '/'); at >= 0)
                    found[p.Path.mid(at + 1)] = p.Kind;
            }
        }
        return found;
    }

    QString full, inc1, inc2;
};

} // namespace

TEST_P(PointVerificationTest, NamesExactlyTheDamagedCopiesWithTheirKind)
{
    const TVerifyResult clean = verify(true);
    EXPECT_TRUE(clean.Problems.empty());
    EXPECT_EQ(clean.FilesChecked, 4);
    EXPECT_EQ(clean.BytesRead, 9 * 1024 * 1024 + 3 + 27 + 27 + 10);
    EXPECT_EQ(clean.exitCode(), 0);

    // The flipped bit leaves the copy's time as it was, like a bit that rots on the disk.
    const QDateTime flippedTime = QFileInfo(storedPath(full + "/Docs/flipped.bin")).lastModified();
    QByteArray flipped = readFile(storedPath(full + "/Docs/flipped.bin"));
    flipped[9 * 1024 * 1024] = char(flipped[9 * 1024 * 1024] ^ 0x04);
    writeFile(storedPath(full + "/Docs/flipped.bin"), flipped);
    setMtime(storedPath(full + "/Docs/flipped.bin"), flippedTime);
    writeFile(storedPath(inc1 + "/Docs/cut.txt"), "will be cut, sec");
    ASSERT_TRUE(QFile::remove(storedPath(inc2 + "/Docs/gone.txt")));

    const TVerifyResult read = verify(true);
    EXPECT_EQ(problemsOf(read), (std::map<QString, TVerifyProblemKind>{
                                    {full + "/Docs/flipped.bin", TVerifyProblemKind::Damaged},
                                    {inc1 + "/Docs/cut.txt", TVerifyProblemKind::WrongSize},
                                    {inc2 + "/Docs/gone.txt", TVerifyProblemKind::Missing}}));
    EXPECT_EQ(read.exitCode(), 2);
    EXPECT_EQ(read.FilesChecked, 4);

    const TVerifyResult quick = verify(false);
    EXPECT_EQ(problemsOf(quick), (std::map<QString, TVerifyProblemKind>{
                                     {inc1 + "/Docs/cut.txt", TVerifyProblemKind::WrongSize},
                                     {inc2 + "/Docs/gone.txt", TVerifyProblemKind::Missing}}));
    EXPECT_EQ(quick.BytesRead, 0);
    EXPECT_EQ(quick.exitCode(), 2);
}

TEST_P(PointVerificationTest, WithoutChecksumFilesEveryFileIsUnverifiable)
{
    for (const QString& folder : {full, inc1, inc2})
        ASSERT_TRUE(QFile::remove(storedPath(folder + '/' + kChecksumFileName)));
    for (bool readData : {false, true}) {
        const TVerifyResult result = verify(readData);
        EXPECT_EQ(result.count(TVerifyProblemKind::NoChecksum), 4);
        EXPECT_EQ(result.Problems.size(), 4u);
        EXPECT_EQ(result.exitCode(), 1);
    }
}

// The command line gives the same answers, one line per problem and the exit code for scripts.
TEST_P(PointVerificationTest, CommandLineNamesProblemsAndExitsWithTheirCode)
{
    QDir().mkpath(StandardFolders::applicationDataFolder());
    ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath(job->stJobName)));
    writeFile(JobsListFilePath(), "\xEF\xBB\xBF" + job->stJobName.toUtf8() + "\r\n");

    CliRun run = RunCli({"verify", job->stJobName, "--all", "--read-data"});
    EXPECT_EQ(run.code, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.out.count("4 files checked, 0 problems"), 3) << run.out.toStdString();

    QByteArray flipped = readFile(storedPath(full + "/Docs/flipped.bin"));
    flipped[5] = char(flipped[5] ^ 0x01);
    writeFile(storedPath(full + "/Docs/flipped.bin"), flipped);
    writeFile(storedPath(inc1 + "/Docs/cut.txt"), "cut");
    ASSERT_TRUE(QFile::remove(storedPath(inc2 + "/Docs/gone.txt")));
    run = RunCli({"verify", job->stJobName, "--read-data"});
    EXPECT_EQ(run.code, 2);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(lines.filter(QRegularExpression("^damaged: .*/Docs/flipped.bin$")).size() == 1)
        << run.out.toStdString();
    EXPECT_TRUE(lines.filter(QRegularExpression("^wrong size: .*/Docs/cut.txt$")).size() == 1);
    EXPECT_TRUE(lines.filter(QRegularExpression("^missing: .*/Docs/gone.txt$")).size() == 1);
    EXPECT_TRUE(lines.last().contains(
        "4 files checked, 3 problems (1 missing, 1 wrong size, 1 damaged, 0 unreadable)"))
        << lines.last().toStdString();

    run = RunCli({"verify", job->stJobName, "--point", "0"});
    EXPECT_EQ(run.code, 0) << "the first point holds none of the damaged copies but the flipped one, unread";

    for (const QString& folder : {full, inc1, inc2})
        QFile::remove(storedPath(folder + '/' + kChecksumFileName));
    writeFile(storedPath(inc1 + "/Docs/cut.txt"), "will be cut, second version");
    writeFile(storedPath(inc2 + "/Docs/gone.txt"), "will be gone, third version");
    run = RunCli({"verify", job->stJobName, "--read-data"});
    EXPECT_EQ(run.code, 1) << run.out.toStdString();
    EXPECT_EQ(run.out.count("no checksum recorded: "), 4);

    EXPECT_EQ(RunCli({"verify", job->stJobName, "--point", "7"}).code, CliApp::kUsage);
    EXPECT_EQ(RunCli({"verify", "Nobody"}).code, CliApp::kUsage);
    EXPECT_EQ(RunCli({"verify"}).code, CliApp::kUsage);
}

// A restore checks what it reads: the damaged copy gets an ERROR line naming it, everything else is
// restored byte for byte.
TEST_P(PointVerificationTest, RestoreNamesTheDamagedFileAndRestoresTheRest)
{
    QByteArray flipped = readFile(storedPath(full + "/Docs/flipped.bin"));
    flipped[8 * 1024 * 1024 + 1] = char(flipped[8 * 1024 * 1024 + 1] ^ 0x80);
    writeFile(storedPath(full + "/Docs/flipped.bin"), flipped);

    ScriptedRestoreUi ui;
    ui.outputFolder = makeFolder("restored");
    ASSERT_TRUE(job->Restore(ui));
    waitUntilIdle();
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 1);
    const QStringList errors = job->LastJobResult.Log.snapshot().filter(": ERROR: ");
    ASSERT_EQ(errors.size(), 1) << job->LastJobResult.Log.snapshot().join('\n').toStdString();
    EXPECT_TRUE(errors.front().endsWith(ui.outputFolder + "/Docs/flipped.bin"))
        << errors.front().toStdString();
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/cut.txt"), "will be cut, second version");
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/gone.txt"), "will be gone, third version");
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/fine.txt"), "stays fine");
}

INSTANTIATE_TEST_SUITE_P(Destinations, PointVerificationTest,
                         ::testing::Values(Destination::Local, Destination::Smb),
                         [](const auto& info) { return info.param == Destination::Smb ? "Smb" : "Local"; });
