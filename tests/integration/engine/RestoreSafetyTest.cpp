// Catalog entries come from the storage and may be damaged or hostile: a restore never writes, creates
// or deletes anything outside the output folder. Each refused entry gets an "ERROR:" line and is
// counted, and the restore goes on with the next entry.
#include "RestoreTestSupport.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace TestEnvironment;

namespace {
const QString F1 = "2024-06-30 21;05;00 (Full)";
const QString I1 = "2024-06-30 21;06;00 (Incremental)";

class RestoreSafetyTest : public RestoreTest
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        outside = makeFolder("outside");
        writeFile(outside + "/victim.txt", "precious");
        writeFile(outside + "/victim-dir/inner.txt", "precious too");
        writeFile(outside + "/ro.txt", "read-only");
        QFile::setPermissions(outside + "/ro.txt", QFile::ReadOwner);
        before = treeOf(outside);
    }

    // Nothing outside the output folder changed: same entries, same contents, same permissions.
    void expectOutsideUntouched()
    {
        EXPECT_EQ(treeOf(outside), before);
        EXPECT_EQ(readFile(outside + "/victim.txt"), "precious");
        EXPECT_EQ(readFile(outside + "/victim-dir/inner.txt"), "precious too");
        EXPECT_EQ(QFileInfo(outside + "/ro.txt").permissions() & QFile::WriteOwner, QFile::Permissions());
        EXPECT_FALSE(QFileInfo::exists(root() + "/escaped.txt"));
    }

    QStringList refusedLines() const
    {
        QStringList refused;
        for (const QString& line : logLines()) {
            if (line.contains(": ERROR: The path leads outside the output directory and is skipped: "))
                refused.append(
                    line.section(": ERROR: The path leads outside the output directory and is skipped: ", 1));
        }
        return refused;
    }

    QString outside;
    QStringList before;
};

TEST_F(RestoreSafetyTest, HostileCatalogEntriesAreRefusedOneByOneAndTheRestoreGoesOn)
{
    const QString out = ui.outputFolder;
    // Links planted in the output folder before the restore, as a hostile earlier point or a user
    // could have left them.
    QDir().mkpath(out + "/Docs");
    ASSERT_TRUE(QFile::link(outside, out + "/Docs/link-out"));
    ASSERT_TRUE(QFile::link(outside + "/victim.txt", out + "/Docs/victim-link"));
    ASSERT_TRUE(QFile::link(outside + "/ro.txt", out + "/Docs/ro-link"));

    const QString upward = "../" + QFileInfo(outside).fileName() + "/victim.txt";
    HandMadePoint full{F1, {{"Docs/a.txt", "alpha"}, {"Docs/b.txt", "beta"}}, {"Docs"}, {}, {}};
    writePoint(full);
    // The stored content the hostile entries would bring along.
    writeFile(stored(F1 + "/escaped.txt"), "written outside");
    writeFile(stored(F1 + "/Docs/link-out/victim.txt"), "overwritten");

    HandMadePoint hostile{I1, {{"Docs/c.txt", "gamma"}}, {"Docs/new"}, {"Docs/b.txt"}, {}};
    writePoint(hostile);
    const QStringList badFiles = {"/" + root().mid(1) + "/escaped.txt",
                                  "../escaped.txt",
                                  "Docs/link-out/victim.txt",
                                  "Docs/victim-link",
                                  "Docs/ro-link",
                                  ""};
    const QStringList badFolders = {"../made-outside", outside + "/made-dir", "Docs/link-out/made-dir"};
    const QStringList badRemovedFiles = {upward, outside + "/victim.txt", "Docs/link-out/victim.txt",
                                         "Docs/ro-link/..", "Docs/.."};
    const QStringList badRemovedFolders = {
        "..", outside + "/victim-dir", "Docs/link-out/victim-dir", "Docs/link-out", "", "."};
    ASSERT_TRUE(WriteCatalogFileFor(I1, "_rf.obl", QStringList({"Docs/c.txt"}) + badFiles));
    ASSERT_TRUE(WriteCatalogFileFor(I1, "_rd.obl", QStringList({"Docs/new"}) + badFolders));
    ASSERT_TRUE(WriteCatalogFileFor(I1, "_rrf.obl", badRemovedFiles + QStringList({"Docs/b.txt"})));
    ASSERT_TRUE(WriteCatalogFileFor(I1, "_rrd.obl", badRemovedFolders));
    writeRemoteJobFile({"Incremental)", F1, I1});

    ui.point = 1;
    restore();
    expectOutsideUntouched();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(out).path() + "/made-outside"));
    EXPECT_FALSE(QFileInfo::exists(outside + "/made-dir"));

    const QStringList refused = refusedLines();
    EXPECT_EQ(refused.size(),
              badFiles.size() + badFolders.size() + badRemovedFiles.size() + badRemovedFolders.size())
        << logLines().join('\n').toStdString();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, refused.size());
    EXPECT_FALSE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(logHas(": Restore job \"Docs job\" is finished with errors."));
    // The sound entries around them were all applied.
    EXPECT_EQ(readFile(out + "/Docs/a.txt"), "alpha");
    EXPECT_EQ(readFile(out + "/Docs/c.txt"), "gamma");
    EXPECT_TRUE(QFileInfo(out + "/Docs/new").isDir());
    EXPECT_FALSE(QFileInfo::exists(out + "/Docs/b.txt"));
    EXPECT_TRUE(QFileInfo(out + "/Docs/link-out").isSymLink()) << "a refused entry leaves the link alone";
}

TEST_F(RestoreSafetyTest, MirrorListsAndRestorePointNamesAreCheckedToo)
{
    job->Settings.Backup.BackupType = btSync;
    writeFile(stored("Docs/a.txt"), "alpha");
    writeFile(destinationFolder + "/escaped.txt", "from beside the backup");
    writeRemoteJobFile({"Syncronization)"},
                       {"Docs/a.txt", "../escaped.txt", "/" + root().mid(1) + "/escaped.txt"},
                       {"Docs", "../outside-dir"});
    restore();
    EXPECT_EQ(refusedLines().size(), 3);
    EXPECT_EQ(treeOf(ui.outputFolder), QStringList({"Docs/", "Docs/a.txt"}));
    expectOutsideUntouched();

    // A restore point that is no single folder of the backup is not followed.
    job->Settings.Backup.BackupType = btFull;
    writeFile(destinationFolder + "/2024-06-30 21;05;00 (Full)/_rf.obl", "\xEF\xBB\xBF");
    writeRemoteJobFile({"Full)", "../2024-06-30 21;05;00 (Full)"});
    ui.outputFolder = freshOutput();
    ui.point = 0;
    restore();
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(
        logHas(": ERROR: The restore point is not a folder of the backup: ../2024-06-30 21;05;00 (Full)"))
        << logLines().join('\n').toStdString();
    EXPECT_FALSE(logHas("Restoring the directory:"));
}

TEST_F(RestoreSafetyTest, EntriesWithLineBreaksCannotForgeLogLines)
{
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    ASSERT_TRUE(WriteCatalogFileFor(F1, "_rf.obl", QStringList({"a.txt", "../x\tERROR: forged"})));
    writeRemoteJobFile({"Full)", F1});
    ui.point = 0;
    restore();
    EXPECT_EQ(refusedLines(), QStringList({"../x?ERROR: forged"}));
    EXPECT_EQ(readFile(ui.outputFolder + "/a.txt"), "alpha");
}

} // namespace
