// Restoring chosen files and folders of a point: real backups of an evolving source (a file changed
// at every run, a folder that loses a file and gains another), each point's tree as `ls` and the core
// read it, and restores limited with --only that bring back exactly the chosen items as they were at
// that point and write nothing else. Local and SMB destinations.
#include "RestoreTestSupport.h"

#include "cli/CliApp.h"
#include "engine/PointContentsReading.h"
#include "engine/RestorePoints.h"
#include "jobs/JobCatalogue.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace TestEnvironment;

namespace {

// What one point of the chain held, relative path -> content ("/" at the end: a folder).
using State = QMap<QString, QByteArray>;

State stateOf(const QString& folder)
{
    return treeContents(folder);
}

// The part of `state` that the chosen items cover, with the folders above them.
State chosenPart(const State& state, const QStringList& items)
{
    State part;
    for (auto it = state.begin(); it != state.end(); ++it) {
        QString path = it.key();
        if (path.endsWith('/'))
            path.chop(1);
        for (const QString& item : items) {
            if (path == item || path.startsWith(item + '/') || item.startsWith(path + '/'))
                part[it.key()] = it.value();
        }
    }
    return part;
}

class ItemRestoreTest : public RestoreTest, public ::testing::WithParamInterface<RestoreDestination>
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() == RestoreDestination::Local || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        job->Settings.Backup.BackupType = btInc;
        job->NewSubfolderIsCreatedForEachBackup = true;
        job->Settings.Backup.PerformFullBackup_EveryCopies = 5;
        job->Settings.Sources.List = {sourceRoot + "/Data/*"};
        GlobalOptions.Processing.SkipHiddenSystemFiles = false;

        write("Data/changing.txt", "first");
        write("Data/keep.txt", "kept");
        write("Data/Folder/a.txt", "a");
        write("Data/Folder/b.txt", "b");
        write("Data/Folder/Deep/d.txt", "d");
        write("Data/Unchosen/x.txt", "x");
        backupAndRemember();
        write("Data/changing.txt", "second");
        QFile::remove(sourceRoot + "/Data/Folder/b.txt");
        write("Data/keep.txt", "kept 2");
        backupAndRemember();
        write("Data/changing.txt", "third");
        write("Data/Folder/c.txt", "c");
        write("Data/Unchosen/y.txt", "y");
        backupAndRemember();

        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath(job->stJobName)));
        writeFile(JobsListFilePath(), "\xEF\xBB\xBF" + job->stJobName.toUtf8() + "\r\n");
    }

    void write(const QString& relative, const QByteArray& content)
    {
        writeFile(sourceRoot + '/' + relative, content);
    }

    void backupAndRemember()
    {
        runBackup();
        ASSERT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
        ASSERT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
        states.append(stateOf(sourceRoot));
    }

    QList<State> states;
};

TEST_P(ItemRestoreTest, ChosenItemsComeBackAsAtTheirPointAndNothingElseIsWritten)
{
    ASSERT_EQ(states.size(), 3);
    const struct
    {
        int point;
        QStringList only;
    } cases[] = {
        {2, {"Data/changing.txt", "Data/Folder"}}, // changed twice; lost b.txt, gained c.txt
        {1, {"Data/changing.txt", "Data/Folder"}}, // b.txt already gone, c.txt not yet there
        {0, {"Data/Folder/Deep"}},                 // a folder deep down: only its parents are made
        {1, {"Data"}},                             // a whole source folder is the whole point
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("point %1, %2").arg(c.point).arg(c.only.join(", ")).toStdString());
        const QString output = freshOutput();
        QStringList args = {"restore", "Docs job", "--to", output, "--point", QString::number(c.point)};
        for (const QString& item : c.only)
            args << "--only" << item;
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.code, CliApp::kOk) << run.err.toStdString() << run.out.toStdString();
        EXPECT_EQ(stateOf(output), chosenPart(states.at(c.point), c.only));
    }

    // Into a folder that holds the unchosen files of another restore: they are left as they are.
    const QString output = freshOutput();
    writeFile(output + "/Data/keep.txt", "mine");
    writeFile(output + "/Data/Folder/b.txt", "b from an earlier restore");
    const CliRun run =
        RunCli({"restore", "Docs job", "--to", output, "--point", "1", "--only", "Data/Folder"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.err.toStdString() << run.out.toStdString();
    EXPECT_EQ(readFile(output + "/Data/keep.txt"), "mine");
    EXPECT_FALSE(QFileInfo::exists(output + "/Data/Folder/b.txt")); // the point recorded it as gone
}

TEST_P(ItemRestoreTest, AnItemOutsideTheBackupIsAClearErrorAndNothingIsRestored)
{
    for (const QString& outside :
         {QStringLiteral("Data/Folder/b.txt"), QStringLiteral("Elsewhere"), QStringLiteral("../Data")}) {
        SCOPED_TRACE(outside.toStdString());
        const QString output = freshOutput();
        const CliRun run = RunCli({"restore", "Docs job", "--to", output, "--point", "2", "--only",
                                   "Data/keep.txt", "--only", outside});
        EXPECT_EQ(run.code, CliApp::kUsage);
        EXPECT_TRUE(run.err.contains("\"" + outside + "\" is not in the backup at restore point 2"))
            << run.err.toStdString();
        EXPECT_TRUE(stateOf(output).isEmpty());
        EXPECT_TRUE(job->isIdle());
    }
}

TEST_P(ItemRestoreTest, LsListsEachPointsTreeWithSizesAndTimes)
{
    for (int point = 0; point < 3; ++point) {
        SCOPED_TRACE(point);
        const CliRun run = RunCli({"ls", "Docs job", "--point", QString::number(point)});
        ASSERT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
        QStringList listed;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            const QString path = line.mid(37);
            listed.append(path);
            if (path.endsWith('/'))
                continue;
            EXPECT_EQ(line.mid(21, 14).trimmed().toLongLong(), states.at(point).value(path).size())
                << line.toStdString();
            EXPECT_TRUE(QDateTime::fromString(line.left(19), "yyyy-MM-dd HH:mm:ss").isValid())
                << line.toStdString();
        }
        QStringList expected = states.at(point).keys();
        std::sort(expected.begin(), expected.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, expected);
    }

    const CliRun below = RunCli({"ls", "Docs job", "Data/Folder"});
    EXPECT_EQ(below.code, CliApp::kOk);
    EXPECT_EQ(below.out.count('\n'), 5) << below.out.toStdString(); // Folder, Deep, d.txt, a.txt, c.txt

    const CliRun missing = RunCli({"ls", "Docs job", "Data/Folder/b.txt"});
    EXPECT_EQ(missing.code, CliApp::kUsage);
    EXPECT_TRUE(missing.err.contains("\"Data/Folder/b.txt\" is not in the backup"));
}

// The core's tree of a point, as the window's item list shows it: folders first, then by name.
TEST_P(ItemRestoreTest, PointContentsHoldTheTreeOfThePointInOrder)
{
    job->OptionsToJobOptions();
    const TRestorePointList list = ReadRestorePointList(*job);
    ASSERT_EQ(list.Status, TRestorePointList::rsRead);
    const QStringList points = list.MainBackupList.mid(1);
    const TPointContentsRead read = ReadPointContents(*job, points, 1);
    ASSERT_TRUE(read.Contents) << read.ErrorText.toStdString();
    const TPointContents& contents = *read.Contents;
    const TPointContents::TId data = contents.find("Data");
    ASSERT_NE(data, TPointContents::kNone);
    QStringList names;
    for (TPointContents::TId id : contents.children(data))
        names.append(contents.name(id).toString());
    EXPECT_EQ(names, QStringList({"Folder", "Unchosen", "changing.txt", "keep.txt"}));
    EXPECT_EQ(contents.find("Data/Folder/b.txt"), TPointContents::kNone);
    const TPointContents::TId changing = contents.find("Data/changing.txt");
    ASSERT_NE(changing, TPointContents::kNone);
    EXPECT_EQ(contents.storageFolderOf(changing), points.at(1)); // its copy of the second run
    EXPECT_EQ(contents.storageFolderOf(contents.find("Data/Folder/a.txt")), points.at(0));
    EXPECT_EQ(contents.fileCount(), 5);
    job->DeleteTempFiles();
}

INSTANTIATE_TEST_SUITE_P(Destinations, ItemRestoreTest,
                         ::testing::Values(RestoreDestination::Local, RestoreDestination::Smb),
                         [](const auto& info) {
                             return info.param == RestoreDestination::Local ? "Local" : "Smb";
                         });

} // namespace
