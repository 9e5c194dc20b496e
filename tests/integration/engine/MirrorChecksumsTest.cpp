// A mirror keeps one checksums file for all its copies, brought up to date by each run; verification
// and restore of the mirror check against it. On a local disk and on a share.
#include "EngineTestSupport.h"
#include "RestoreTestSupport.h"

#include "cli/CliApp.h"
#include "engine/ChecksumFile.h"
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

class MirrorChecksumsTest : public EngineTest, public ::testing::WithParamInterface<Destination>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != Destination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*"});
        writeSource("Docs/kept.txt", "kept as it is");
        writeSource("Docs/older.txt", "copied by a program without checksums");
        writeSource("Docs/changed.bin", QByteArray(9 * 1024 * 1024 + 5, 'c')); // more than one chunk
        writeSource("Docs/gone/removed.txt", "removed before the second run");
        runBackup();
        // As a program that wrote no checksums would have left it: no entry for this copy.
        TChecksumTable table = mirrorTable();
        ASSERT_EQ(table.entries.remove("Docs/older.txt"), 1);
        writeFile(storedPath(kChecksumFileName), EncodeChecksums(table));

        writeSource("Docs/changed.bin", QByteArray(9 * 1024 * 1024 + 7, 'C'));
        ASSERT_TRUE(QDir(sourceRoot + "/Docs/gone").removeRecursively());
        writeSource("Docs/added.txt", "added before the second run");
        runBackup();
        ASSERT_EQ(job->LastJobResult.ErrorsCount.load(), 0) << logLines().join('\n').toStdString();
    }

    TChecksumTable mirrorTable()
    {
        TChecksumTable table;
        EXPECT_EQ(ReadChecksumFile(storedPath(kChecksumFileName), table), TChecksumFileState::Read);
        return table;
    }

    void saveJobForCommandLine()
    {
        QDir().mkpath(StandardFolders::applicationDataFolder());
        ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath(job->stJobName)));
        writeFile(JobsListFilePath(), "\xEF\xBB\xBF" + job->stJobName.toUtf8() + "\r\n");
    }

    // A bit that rots on the disk: the copy keeps its time.
    void damage(const QString& relative, qsizetype at)
    {
        const QDateTime mtime = QFileInfo(storedPath(relative)).lastModified();
        QByteArray content = readFile(storedPath(relative));
        content[at] = char(content[at] ^ 0x10);
        writeFile(storedPath(relative), content);
        setMtime(storedPath(relative), mtime);
    }
};

} // namespace

// Replaced copies get their new entry, the removed file loses its own, an unchanged copy keeps its
// entry, and a copy that never had one still has none.
TEST_P(MirrorChecksumsTest, EachRunBringsTheMirrorsChecksumsUpToDate)
{
    const TChecksumTable table = mirrorTable();
    QStringList paths = table.entries.keys();
    paths.sort();
    EXPECT_EQ(paths, QStringList({"Docs/added.txt", "Docs/changed.bin", "Docs/kept.txt"}));
    for (auto it = table.entries.cbegin(); it != table.entries.cend(); ++it) {
        const QByteArray stored = readFile(storedPath(it.key()));
        TContentChecksum checksum;
        checksum.update(stored.constData(), size_t(stored.size()));
        EXPECT_EQ(it->size, stored.size()) << it.key().toStdString();
        EXPECT_EQ(it->digest, checksum.digest()) << it.key().toStdString();
    }
    EXPECT_EQ(table.malformedLines, 0);
    EXPECT_TRUE(readFile(storedPath(kChecksumFileName)).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(treeOf(backupRoot()).filter(QRegularExpression("\\.part$|\\.zorvan-")), QStringList());

    // A third run that copies nothing leaves the entries as they are.
    runBackup();
    EXPECT_EQ(mirrorTable().entries, table.entries);
}

TEST_P(MirrorChecksumsTest, VerifyAndRestoreOfTheMirrorNameTheDamagedCopy)
{
    saveJobForCommandLine();
    CliRun run = RunCli({"verify", job->stJobName, "--read-data"});
    EXPECT_EQ(run.code, 1) << run.out.toStdString() << run.err.toStdString();
    QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("no checksum recorded: ") && lines[0].endsWith("job/Docs/older.txt"))
        << run.out.toStdString();
    EXPECT_EQ(lines[1], "Mirror: 4 files checked, 0 problems (0 missing, 0 wrong size, 0 damaged, 0 "
                        "unreadable), 1 without a checksum, " +
                            QString::number(9 * 1024 * 1024 + 7 + 13 + 27) + " bytes read");

    damage("Docs/changed.bin", 9 * 1024 * 1024 + 2);
    run = RunCli({"verify", job->stJobName, "--read-data"});
    EXPECT_EQ(run.code, 2) << run.out.toStdString();
    lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("damaged: ") && lines[0].endsWith("job/Docs/changed.bin"))
        << run.out.toStdString();
    EXPECT_TRUE(lines[2].contains("4 files checked, 1 problems (0 missing, 0 wrong size, 1 damaged"));
    EXPECT_EQ(RunCli({"verify", job->stJobName}).code, 1) << "without reading, the damage does not show";

    // Without reading, a copy written again since the backup shows by its time; a second off is within
    // what a storage's clock granularity allows.
    const QString kept = storedPath("Docs/kept.txt");
    const QDateTime keptTime = QFileInfo(kept).lastModified();
    for (const auto& [offsetMsecs, code] : {std::pair{1000, 1}, std::pair{-1500, 1}, std::pair{60000, 2}}) {
        setMtime(kept, keptTime.addMSecs(offsetMsecs));
        run = RunCli({"verify", job->stJobName});
        EXPECT_EQ(run.code, code) << offsetMsecs << run.out.toStdString();
        EXPECT_EQ(run.out.contains(
                      QRegularExpression("^damaged: .*/Docs/kept.txt$", QRegularExpression::MultilineOption)),
                  code == 2)
            << run.out.toStdString();
    }
    run = RunCli({"verify", job->stJobName, "--read-data"});
    EXPECT_FALSE(run.out.contains("kept.txt")) << "its content is proven: reading decides alone";
    setMtime(kept, keptTime);

    ScriptedRestoreUi ui;
    ui.outputFolder = makeFolder("restored");
    ASSERT_TRUE(job->Restore(ui));
    waitUntilIdle();
    const QStringList errors = job->LastJobResult.Log.snapshot().filter(": ERROR: ");
    ASSERT_EQ(errors.size(), 1) << job->LastJobResult.Log.snapshot().join('\n').toStdString();
    EXPECT_TRUE(errors.front().endsWith(ui.outputFolder + "/Docs/changed.bin"))
        << errors.front().toStdString();
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/kept.txt"), "kept as it is");
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/older.txt"), "copied by a program without checksums");
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/added.txt"), "added before the second run");
    EXPECT_FALSE(QFile::exists(ui.outputFolder + "/Docs/gone/removed.txt"));
}

INSTANTIATE_TEST_SUITE_P(Destinations, MirrorChecksumsTest,
                         ::testing::Values(Destination::Local, Destination::Smb),
                         [](const auto& info) { return info.param == Destination::Smb ? "Smb" : "Local"; });
