// What a run takes from the sources: extension filters, hidden files, excluded folders, the temporary
// folder, the fixed skip list, links and special files, and names that differ only in letter case.
#include "EngineTestSupport.h"

#include "options/uOptions.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace TestEnvironment;

namespace {
class SourceSelectionTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (const char* path :
             {"Docs/Notes.TXT", "Docs/README", "Docs/report.doc", "Docs/a.txt", "Docs/A.txt", "Docs/.profile",
              "Docs/.config/settings.txt", "Docs/ntuser.dat", "Docs/NTUSER.DAT", "Docs/pagefile.sys",
              "Docs/deep/Cache/c.txt", "Docs/cache/c.txt", "Docs/skipme/s.txt", "Docs/kept/k.txt",
              "cache/top.txt", "Single/ntuser.dat"})
            writeSource(path, QByteArray(path));
        QFile::link(sourceRoot + "/Docs/kept", sourceRoot + "/Docs/link-to-folder");
        QFile::link(sourceRoot + "/Docs/a.txt", sourceRoot + "/Docs/link-to-file");
        QFile::link(sourceRoot + "/Docs/nowhere", sourceRoot + "/Docs/dangling");
        mkfifo(QFile::encodeName(sourceRoot + "/Docs/fifo").constData(), 0600);
        // The temporary folder lies inside a source.
        GlobalOptions.General.PathForTempFiles = sourceRoot + "/Docs/Tmp";
        writeSource("Docs/Tmp/leftover.bin");
        GlobalOptions.ExcludedDirs = {(sourceRoot + "/Docs/skipme").toLower(), "%anypath%/cache"};
        ConfigureJob(*job, btSync,
                     {sourceRoot + "/Docs/*", sourceRoot + "/cache/*", sourceRoot + "/Single/ntuser.dat"});
    }
};

TEST_F(SourceSelectionTest, FiltersDecideWhatIsCopied)
{
    const QStringList common = {"Docs/",  "Docs/kept/",    "Docs/kept/k.txt", "_checksums.obl",
                                "cache/", "cache/top.txt", "ntuser.dat"};
    const struct
    {
        const char* label;
        TFilterType filter;
        bool skipHidden;
        QStringList files;
        int warnings; // the dangling link, unless the filter passes over its name
    } cases[] = {
        {"no filter",
         ftNoFilters,
         false,
         {"Docs/.config/", "Docs/.config/settings.txt", "Docs/.profile", "Docs/A.txt", "Docs/Notes.TXT",
          "Docs/README", "Docs/a.txt", "Docs/deep/", "Docs/link-to-file", "Docs/report.doc"},
         1},
        {"no hidden",
         ftNoFilters,
         true,
         {"Docs/A.txt", "Docs/Notes.TXT", "Docs/README", "Docs/a.txt", "Docs/deep/", "Docs/link-to-file",
          "Docs/report.doc"},
         1},
        {"include txt;doc",
         ftIncludeOnly,
         false,
         {"Docs/.config/", "Docs/.config/settings.txt", "Docs/A.txt", "Docs/Notes.TXT", "Docs/a.txt",
          "Docs/deep/", "Docs/report.doc"},
         0},
        {"exclude txt;doc",
         ftExclude,
         false,
         {"Docs/.config/", "Docs/.profile", "Docs/README", "Docs/deep/", "Docs/link-to-file"},
         1},
    };
    for (const auto& c : cases) {
        QDir(backupRoot()).removeRecursively();
        QFile::remove(backupRoot() + ".kxj");
        job->Settings.Sources.FilterType = c.filter;
        job->Settings.Sources.Extensions = "txt;doc";
        GlobalOptions.Processing.SkipHiddenSystemFiles = c.skipHidden;
        runBackup();
        QStringList expected = common + c.files;
        // The filter applies inside folder sources only, never to a single-file source.
        if (c.filter == ftExclude) {
            expected.removeOne("Docs/kept/k.txt");
            expected.removeOne("cache/top.txt");
        }
        expected.sort();
        EXPECT_EQ(treeOf(backupRoot()), expected) << c.label << "\n"
                                                  << treeOf(backupRoot()).join(' ').toStdString();
        EXPECT_EQ(job->LastJobResult.WarningsCount, c.warnings) << c.label;
        EXPECT_EQ(logHas("WARNING: Cannot be read, kept as in the previous backup: " + sourceRoot +
                         "/Docs/dangling (No such file or directory)"),
                  c.warnings == 1)
            << c.label;
        EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << c.label;
    }
    // The link to a file holds the file's content; names that differ by case are two files.
    EXPECT_EQ(readFile(storedPath("Docs/link-to-file")), "Docs/a.txt");
    EXPECT_EQ(readFile(storedPath("ntuser.dat")), "Single/ntuser.dat");
}

TEST_F(SourceSelectionTest, NamesDifferingInCaseKeepTheirOwnStamps)
{
    runBackup();
    EXPECT_EQ(readFile(storedPath("Docs/a.txt")), "Docs/a.txt");
    EXPECT_EQ(readFile(storedPath("Docs/A.txt")), "Docs/A.txt");
    writeSource("Docs/A.txt", "changed");
    runBackup();
    EXPECT_TRUE(logHas("Files copied: 1."));
    EXPECT_EQ(readFile(storedPath("Docs/a.txt")), "Docs/a.txt");
    EXPECT_EQ(readFile(storedPath("Docs/A.txt")), "changed");
    const TRemoteBookkeeping stored = storedBookkeeping();
    const qsizetype lower = stored.PreviousLocalFilesList.indexOf("Docs/a.txt");
    const qsizetype upper = stored.PreviousLocalFilesList.indexOf("Docs/A.txt");
    ASSERT_GE(lower, 0);
    ASSERT_GE(upper, 0);
    EXPECT_NE(stored.PreviousLocalFilesTimeList[lower], stored.PreviousLocalFilesTimeList[upper]);
}

TEST_F(SourceSelectionTest, AFileChangedWithoutANewTimeIsNotCopiedAgain)
{
    runBackup();
    const QDateTime keep = QFileInfo(sourceRoot + "/Docs/README").lastModified();
    writeSource("Docs/README", "new content, old time", keep);
    runBackup();
    EXPECT_TRUE(logHas("Files copied: 0."));
    EXPECT_EQ(readFile(storedPath("Docs/README")), "Docs/README");
}
} // namespace

namespace {
TEST_F(EngineTest, ABackupInsideItsOwnSourceNeverBacksItselfUp)
{
    ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
    writeSource("Docs/a.txt");
    job->DestinationPath = sourceRoot + "/Docs/backups";
    QDir().mkpath(job->DestinationPath);
    runBackup();
    runBackup();
    EXPECT_EQ(treeOf(sourceRoot + "/Docs/backups/Docs job/" + subfolder(6, "Full")),
              QStringList({"Docs/", "Docs/a.txt", "Docs/backups/", "_checksums.obl", "_rd.obl", "_rf.obl",
                           "_rrd.obl", "_rrf.obl"}));
}
} // namespace
