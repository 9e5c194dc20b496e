// Restores from hand-built backup layouts: the chain of full and incremental points, deletions, the
// mirror, unfinished backups, the preparation's failures and the closing of a run.
#include "RestoreTestSupport.h"

#include "base/Clock.h"
#include "engine/RestoreRun.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobFiles.h"
#include "platform/FileSystemLocal.h"
#include "platform/JobRunLock.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <thread>

#include <sys/stat.h>

using namespace TestEnvironment;

namespace {
const QString F1 = "2024-06-30 21;05;00 (Full)";
const QString I1 = "2024-06-30 21;06;00 (Incremental)";
const QString I2 = "2024-06-30 21;07;00 (Incremental)";
const QString F2 = "2024-06-30 21;08;00 (Full)";

// The real local file system, except that no folder can be made (as on a full disk).
class FolderCreationFails final : public TLocalFileSystem
{
public:
    int makeFolder(const QString&) override { return ENOSPC; }
};

unsigned modeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QStringList labelsOf(const QStringList& entries)
{
    QStringList labels;
    for (QString entry : entries)
        labels.append(entry.replace(';', ':'));
    return labels;
}

class ChainTest : public RestoreTest, public ::testing::WithParamInterface<RestoreDestination>
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != RestoreDestination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        // F1: Docs/a.txt, Docs/sub/b.txt; I1: a.txt changed, c.txt new in a new folder;
        // I2: b.txt and its folder gone; F2: only a.txt.
        writePoint({F1, {{"Docs/a.txt", "alpha"}, {"Docs/sub/b.txt", "beta"}}, {"Docs", "Docs/sub"}, {}, {}});
        writePoint({I1, {{"Docs/a.txt", "alpha 2"}, {"Docs/new/c.txt", "gamma"}}, {"Docs/new"}, {}, {}});
        writePoint({I2, {}, {}, {"Docs/sub/b.txt"}, {"Docs/sub"}});
        writePoint({F2, {{"Docs/a.txt", "alpha 3"}}, {"Docs"}, {}, {}});
        writeRemoteJobFile({"Incremental)", F1, I1, I2, F2});
    }
};

TEST_P(ChainTest, IncrementalPointReplaysTheFullBackupThenEachIncrementUpToIt)
{
    ui.point = 1;
    restore();
    EXPECT_EQ(ui.folderAsked, 1);
    EXPECT_EQ(ui.loadingShown, 1);
    EXPECT_EQ(ui.loadingClosed, 1);
    EXPECT_EQ(ui.labels, labelsOf({F1, I1, I2, F2}));
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join('\n').toStdString();
    const QString out = ui.outputFolder;
    EXPECT_EQ(treeOf(out), QStringList({"Docs/", "Docs/a.txt", "Docs/new/", "Docs/new/c.txt", "Docs/sub/",
                                        "Docs/sub/b.txt"}));
    EXPECT_EQ(readFile(out + "/Docs/a.txt"), "alpha 2");
    EXPECT_EQ(readFile(out + "/Docs/sub/b.txt"), "beta");

    // Two folders applied, in list order.
    const QStringList lines = logLines();
    QStringList applied;
    for (const QString& line : lines) {
        if (line.contains("Restoring the directory: "))
            applied.append(line.section("Restoring the directory: ", 1));
    }
    EXPECT_EQ(applied, QStringList({job->DestinationPath + "/Docs job/" + F1,
                                    job->DestinationPath + "/Docs job/" + I1}));
    EXPECT_TRUE(logHas("Chosen restore point: " + labelsOf({I1}).first()));
    EXPECT_TRUE(logHas("Starting the \"Docs job\" restore to directory: " + out));
    EXPECT_EQ(logCount("-----------------------------------------------"),
              2 + 1); // two folders, one run line
    EXPECT_EQ(logCount(": Removing the temporary files."), 1);
    EXPECT_TRUE(logHas(": Restore job \"Docs job\" is finished."));

    EXPECT_FALSE(job->LastJobResult.Cancelled);
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0);
    EXPECT_NE(job->LastJobResult.EndTime.load(), 0.0);
    EXPECT_EQ(job->JobOperation, joRestore);
    EXPECT_EQ(job->BackupHistory.size(), 2);
    EXPECT_TRUE(job->BackupHistory.at(0).endsWith(": Starting the restore to directory: " + out));
    EXPECT_TRUE(job->BackupHistory.at(1).endsWith(": Restore job is finished."));
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 2) << events.join('\n').toStdString();
    EXPECT_TRUE(events[0].endsWith(": Starting the \"Docs job\" restore to directory: " + out));
    EXPECT_TRUE(events[1].endsWith(": Restore job \"Docs job\" is finished."));
    EXPECT_EQ(savedLogs(), QStringList({"2024-07-01 10;00;00.txt"}));
    EXPECT_EQ(job->LogList.snapshot(), QStringList({"2024-07-01 10;00;00"}));
    EXPECT_FALSE(QFileInfo::exists(QDir::cleanPath(GlobalOptions.General.PathForTempFiles + "/Docs job")));
    EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles + "/Docs job.kxj"));
    // The job file was saved at the end.
    TJob_FilesAndFolders saved("Docs job");
    ASSERT_TRUE(saved.LoadLocalJobFile(LocalJobFilePath("Docs job")));
    EXPECT_EQ(saved.BackupHistory.size(), 2);
}

TEST_P(ChainTest, ADeletionShowsOnlyFromThePointThatRecordedItOn)
{
    const struct
    {
        qint32 point;
        QStringList tree;
        QByteArray a;
    } cases[] = {
        {0, {"Docs/", "Docs/a.txt", "Docs/sub/", "Docs/sub/b.txt"}, "alpha"},
        {1, {"Docs/", "Docs/a.txt", "Docs/new/", "Docs/new/c.txt", "Docs/sub/", "Docs/sub/b.txt"}, "alpha 2"},
        {2, {"Docs/", "Docs/a.txt", "Docs/new/", "Docs/new/c.txt"}, "alpha 2"},
        {3, {"Docs/", "Docs/a.txt"}, "alpha 3"},
    };
    for (const auto& c : cases) {
        ui.outputFolder = freshOutput();
        ui.point = c.point;
        restore();
        EXPECT_EQ(treeOf(ui.outputFolder), c.tree) << c.point;
        EXPECT_EQ(readFile(ui.outputFolder + "/Docs/a.txt"), c.a) << c.point;
        EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << c.point;
        EXPECT_EQ(logCount("Restoring the directory: "), c.point == 3 ? 1 : c.point + 1) << c.point;
    }
}

INSTANTIATE_TEST_SUITE_P(Destinations, ChainTest,
                         ::testing::Values(RestoreDestination::Local, RestoreDestination::Smb),
                         [](const auto& info) {
                             return info.param == RestoreDestination::Local ? "Local" : "Smb";
                         });

TEST_F(RestoreTest, FileInRemovedListMissingFromTheOutputCancelsTheRestore)
{
    // The increment records the removal of a file that the full backup never had.
    writePoint({F1, {{"Docs/a.txt", "alpha"}}, {"Docs"}, {}, {}});
    writePoint({I1, {{"Docs/c.txt", "gamma"}}, {}, {"Docs/b.txt"}, {}});
    writeRemoteJobFile({"Incremental)", F1, I1});
    ui.point = 1;
    restore();
    EXPECT_TRUE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 1);
    EXPECT_TRUE(logHas(": ERROR: System Error.  Code: 2.")) << logLines().join('\n').toStdString();
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_FALSE(QFileInfo::exists(ui.outputFolder + "/Docs/c.txt"))
        << "nothing of the point after the error";
    EXPECT_TRUE(job->BackupHistory.last().endsWith(": Restore is cancelled."));
    EXPECT_TRUE(eventQueued("\"Docs job\" restore is cancelled."));
    EXPECT_EQ(savedLogs().size(), 1) << "a cancelled run still writes its log";
}

TEST_F(RestoreTest, ReadOnlyFileIsMadeWritableBeforeALaterPointDeletesIt)
{
    writePoint({F1, {{"Docs/locked.txt", "keep out"}, {"Docs/a.txt", "alpha"}}, {"Docs"}, {}, {}});
    writePoint({I1, {}, {}, {"Docs/locked.txt"}, {}});
    writeRemoteJobFile({"Incremental)", F1, I1});
    ASSERT_TRUE(QFile::setPermissions(stored(F1 + "/Docs/locked.txt"), QFile::ReadOwner | QFile::ReadGroup));
    ui.point = 1;
    restore();
    const QString path = ui.outputFolder + "/Docs/locked.txt";
    EXPECT_TRUE(logHas(": Removing the read-only attribute: " + path));
    EXPECT_TRUE(logHas(": Removing the file: " + path));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(treeOf(ui.outputFolder), QStringList({"Docs/", "Docs/a.txt"}));
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0);
}

TEST_F(RestoreTest, PathThatTurnedFromFileToFolderAndBackIsRestoredAtEveryPoint)
{
    writePoint({F1, {{"Docs/x", "file x"}, {"Docs/y/inner.txt", "in y"}}, {"Docs", "Docs/y"}, {}, {}});
    writePoint({I1,
                {{"Docs/x/inner.txt", "in x"}, {"Docs/y", "file y"}},
                {"Docs/x"},
                {"Docs/x", "Docs/y/inner.txt"},
                {"Docs/y"}});
    writeRemoteJobFile({"Incremental)", F1, I1});
    ui.point = 1;
    restore();
    EXPECT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
    EXPECT_EQ(treeOf(ui.outputFolder), QStringList({"Docs/", "Docs/x/", "Docs/x/inner.txt", "Docs/y"}));
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/y"), "file y");
}

TEST_F(RestoreTest, MirrorWithAStartFlagIsNotRestored)
{
    job->Settings.Backup.BackupType = btSync;
    writeFile(stored("Docs/a.txt"), "alpha");
    writeRemoteJobFile({"Syncronization)"}, {"Docs/a.txt"}, {"Docs"});
    writeStartFlag({});
    restore();
    const QString text = "Last backup job was cancelled, so Zorvan Backup is not able to restore your files. "
                         "Please copy the backup folder \"Docs job\" from the storage manually.";
    EXPECT_EQ(ui.errors, QStringList({text}));
    EXPECT_FALSE(ui.chooserShown);
    EXPECT_TRUE(logHas(": ERROR: " + text));
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 1);
    EXPECT_TRUE(job->BackupHistory.last().endsWith(": Restore is cancelled."));
    EXPECT_TRUE(treeOf(ui.outputFolder).isEmpty());
    EXPECT_TRUE(savedLogs().isEmpty()) << "a restore that never ran writes no log file";
    EXPECT_TRUE(eventQueued("\"Docs job\" restore is cancelled."));
}

TEST_F(RestoreTest, UnfinishedFullBackupIsNotOfferedAndTheRestoreGoesOn)
{
    const QString unfinished = "2024-06-30 21;06;00 (Full)";
    writePoint({F1, {{"Docs/a.txt", "alpha"}}, {"Docs"}, {}, {}});
    writePoint({unfinished, {{"Docs/a.txt", "half"}}, {"Docs"}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    writeStartFlag({unfinished});
    ui.point = ScriptedRestoreUi::kLatest;
    restore();
    EXPECT_EQ(ui.labels, labelsOf({F1}));
    EXPECT_EQ(readFile(ui.outputFolder + "/Docs/a.txt"), "alpha");
    EXPECT_FALSE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(RestoreTest, MirrorListsNoPointsAndRestoresItsRecordedFilesAtOnce)
{
    // The job's own setting says full; the marker on the storage decides, and the setting follows it.
    job->Settings.Backup.BackupType = btFull;
    writeFile(stored("Docs/a.txt"), "alpha");
    writeFile(stored("Docs/deep/b.txt"), "beta");
    writeFile(stored("stray.txt"), "never recorded");
    QDir().mkpath(stored("Docs/empty"));
    writeRemoteJobFile({"Syncronization)"}, {"Docs/a.txt", "Docs/deep/b.txt"},
                       {"Docs", "Docs/deep", "Docs/empty"});
    restore();
    EXPECT_FALSE(ui.chooserShown);
    EXPECT_EQ(treeOf(ui.outputFolder),
              QStringList({"Docs/", "Docs/a.txt", "Docs/deep/", "Docs/deep/b.txt", "Docs/empty/"}));
    EXPECT_EQ(logCount("Restoring the directory: " + job->DestinationPath + "/Docs job"), 1);
    EXPECT_EQ(job->Settings.Backup.BackupType, btSync);
    EXPECT_FALSE(job->NewSubfolderIsCreatedForEachBackup);
    TJob_FilesAndFolders saved("Docs job");
    ASSERT_TRUE(saved.LoadLocalJobFile(LocalJobFilePath("Docs job")));
    EXPECT_EQ(saved.Settings.Backup.BackupType, btSync);
}

TEST_F(RestoreTest, UnknownMarkerLeavesTheJobsTypeAlone)
{
    job->Settings.Backup.BackupType = btFull;
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    writeRemoteJobFile({"Differential)", F1});
    ui.point = 0;
    restore();
    EXPECT_EQ(job->Settings.Backup.BackupType, btFull);
    EXPECT_EQ(readFile(ui.outputFolder + "/a.txt"), "alpha");
}

TEST_F(RestoreTest, RestoringOverAFolderOverwritesSamePathsAndLeavesOthersAlone)
{
    writePoint({F1, {{"Docs/a.txt", "alpha"}, {"Docs/sub/b.txt", "beta"}}, {"Docs", "Docs/sub"}, {}, {}});
    writePoint({I1, {}, {}, {"Docs/sub/b.txt"}, {"Docs/sub"}});
    writeRemoteJobFile({"Incremental)", F1, I1});
    const QString out = ui.outputFolder;
    writeFile(out + "/Docs/a.txt", "mine, older");
    writeFile(out + "/Docs/notes.txt", "mine");
    writeFile(out + "/Docs/sub/mine.txt", "mine too");
    writeFile(out + "/other.txt", "mine");
    ui.point = 1;
    restore();
    EXPECT_EQ(readFile(out + "/Docs/a.txt"), "alpha");
    EXPECT_EQ(readFile(out + "/Docs/notes.txt"), "mine");
    EXPECT_EQ(readFile(out + "/other.txt"), "mine");
    // The folder the point removes still holds a file the backup never had: it stays, with a warning.
    EXPECT_EQ(readFile(out + "/Docs/sub/mine.txt"), "mine too");
    EXPECT_FALSE(QFileInfo::exists(out + "/Docs/sub/b.txt"));
    EXPECT_TRUE(logHas(": WARNING: The directory is not empty and is left in place: " + out + "/Docs/sub"));
    EXPECT_EQ(job->LastJobResult.WarningsCount, 1);
    EXPECT_TRUE(logHas(": Restore job \"Docs job\" is finished with warnings."));
}

TEST_F(RestoreTest, RestoredFilesKeepTheirLastWriteTimeAndPermissionBits)
{
    writePoint({F1, {{"a.sh", "#!/bin/sh\n"}, {"private.txt", "p"}, {"ro.txt", "r"}}, {}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    const struct
    {
        const char* name;
        QFile::Permissions permissions;
        QDateTime mtime;
    } files[] = {
        {"a.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup,
         QDateTime(QDate(2019, 3, 4), QTime(5, 6, 7, 891))},
        {"private.txt", QFile::ReadOwner | QFile::WriteOwner,
         QDateTime(QDate(2001, 1, 1), QTime(0, 0, 1, 2))},
        {"ro.txt", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther,
         QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999))},
    };
    for (const auto& f : files) {
        QFile file(stored(F1 + '/' + f.name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(f.mtime, QFileDevice::FileModificationTime));
        file.close();
        ASSERT_TRUE(QFile::setPermissions(file.fileName(), f.permissions));
    }
    ui.point = 0;
    restore();
    for (const auto& f : files) {
        const QFileInfo info(ui.outputFolder + '/' + f.name);
        EXPECT_EQ(info.lastModified(), f.mtime) << f.name;
        EXPECT_EQ(modeOf(info.filePath()), modeOf(stored(F1 + '/' + f.name))) << f.name;
    }
}

TEST_F(RestoreTest, PreparationFailuresEndWithTheJobIdleAndNoLogFile)
{
    // The folder chooser cancelled: nothing at all happens.
    ui.outputFolder.clear();
    restore();
    EXPECT_EQ(ui.loadingShown, 0);
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_TRUE(job->BackupHistory.isEmpty());

    // No remote job file on the storage yet.
    ui.outputFolder = freshOutput();
    restore();
    EXPECT_EQ(ui.errors,
              QStringList({"Unable to copy the job file \"Docs job.kxj\" from the backup directory."}));
    EXPECT_FALSE(ui.chooserShown);
    EXPECT_TRUE(job->BackupHistory.isEmpty());

    // The storage cannot be reached.
    ui.errors.clear();
    job->DestinationPath = destinationFolder + "/unplugged";
    restore();
    ASSERT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.errors[0].startsWith(
        "Unable to connect to the backup storage.\r\nERROR: The directory does not exist: "))
        << ui.errors[0].toStdString();
    EXPECT_EQ(ui.loadingClosed, ui.loadingShown);
    EXPECT_TRUE(job->BackupHistory.isEmpty());
    EXPECT_TRUE(savedLogs().isEmpty());
    EXPECT_EQ(job->JobStatus, jsNone);
}

TEST_F(RestoreTest, CancelledChooserEndsTheRestoreAsCancelled)
{
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    ui.point = ScriptedRestoreUi::kCancel;
    restore();
    EXPECT_TRUE(ui.chooserShown);
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_EQ(job->BackupHistory.size(), 1);
    EXPECT_TRUE(treeOf(ui.outputFolder).isEmpty());
    EXPECT_TRUE(savedLogs().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles + "/Docs job.kxj"));

    // With only the marker on the storage the list is empty and only Cancel ends it.
    writeRemoteJobFile({"Full)"});
    ui.point = ScriptedRestoreUi::kLatest;
    restore();
    EXPECT_TRUE(ui.labels.isEmpty());
    EXPECT_TRUE(job->LastJobResult.Cancelled);
}

TEST_F(RestoreTest, MissingCatalogCancelsTheRunWhichStillWritesItsLog)
{
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    writePoint({I1, {{"b.txt", "beta"}}, {}, {}, {}});
    writeRemoteJobFile({"Incremental)", F1, I1});
    ASSERT_TRUE(QFile::remove(stored(I1 + "/_rrd.obl")));
    ui.point = 1;
    restore();
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_EQ(readFile(ui.outputFolder + "/a.txt"), "alpha") << "what was restored stays";
    EXPECT_FALSE(QFileInfo::exists(ui.outputFolder + "/b.txt"));
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_EQ(savedLogs().size(), 1);
}

TEST_F(RestoreTest, AJobThatRunsElsewhereIsNotRestored)
{
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    TJobRunLock other(FoldJobName("DOCS JOB"));
    ASSERT_TRUE(other.tryLock());
    EXPECT_FALSE(job->Restore(ui));
    EXPECT_EQ(ui.folderAsked, 0);
    EXPECT_EQ(job->JobStatus, jsNone);
    other.unlock();
    ui.point = 0;
    restore();
    EXPECT_EQ(readFile(ui.outputFolder + "/a.txt"), "alpha");
}

TEST_F(RestoreTest, RunThatCannotConnectOrIsCancelledEndsCancelledWithItsLog)
{
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    job->OptionsToJobOptions();

    // The storage went away between the preparation and the run.
    job->DestinationPath = destinationFolder + "/unplugged";
    job->RestoreInThread(ui.outputFolder, QString(), 0);
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_EQ(job->JobStatus, jsNone);
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_EQ(savedLogs().size(), 1);
    EXPECT_TRUE(eventQueued("\"Docs job\" restore is cancelled."));

    // Cancelled before it applied anything: the folder's lists are passed over.
    Clock::advanceTestTime(60 * 1000);
    job->DestinationPath = destinationFolder;
    job->LastJobResult.Log.clear();
    job->JobStatus = jsCancelling;
    job->RestoreInThread(ui.outputFolder, QString(), 0);
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(treeOf(ui.outputFolder).isEmpty());
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_EQ(job->JobStatus, jsNone);
    EXPECT_EQ(savedLogs().size(), 2);
}

TEST_F(RestoreTest, PausedRunWaitsUntilResumed)
{
    writePoint({F1, {{"a.txt", "alpha"}}, {}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    ui.point = 0;
    job->OptionsToJobOptions();
    // The run reads the remote job file that the preparation leaves in the temporary folder.
    QDir().mkpath(GlobalOptions.General.PathForTempFiles);
    ASSERT_TRUE(QFile::copy(backupRoot() + ".kxj", GlobalOptions.General.PathForTempFiles + "/Docs job.kxj"));
    job->JobStatus = jsPaused;
    std::thread worker([this] { job->RestoreInThread(ui.outputFolder, QString(), 0); });
    // Once the worker sits in its pause it stays there until the status changes: whatever it had done
    // by then is all it does while paused, however long that lasts.
    const bool paused = waitFor([this] { return job->WaitingWhilePaused.load(); });
    EXPECT_TRUE(paused) << "the run never reached its pause";
    EXPECT_EQ(job->JobStatus, jsPaused);
    EXPECT_FALSE(QFileInfo::exists(ui.outputFolder + "/a.txt")) << "nothing is restored while paused";
    EXPECT_FALSE(logHas("Restoring the directory:"));
    job->JobStatus = jsRunning;
    worker.join();
    EXPECT_FALSE(job->WaitingWhilePaused);
    EXPECT_EQ(readFile(ui.outputFolder + "/a.txt"), "alpha");
    EXPECT_FALSE(job->LastJobResult.Cancelled);
}

TEST_F(RestoreTest, OutputFileSystemFailureIsReportedNotTakenForSuccess)
{
    writePoint({F1, {{"Docs/a.txt", "alpha"}}, {"Docs"}, {}, {}});
    writeRemoteJobFile({"Full)", F1});
    job->OptionsToJobOptions();
    // The run reads the remote job file that the preparation leaves in the temporary folder.
    QDir().mkpath(GlobalOptions.General.PathForTempFiles);
    ASSERT_TRUE(QFile::copy(backupRoot() + ".kxj", GlobalOptions.General.PathForTempFiles + "/Docs job.kxj"));
    FolderCreationFails failing;
    TRestoreRun run(*job, ui.outputFolder, 0, failing);
    run.Run();

    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 1);
    EXPECT_TRUE(logHas(": Creating the directory: " + ui.outputFolder + "/Docs"));
    EXPECT_TRUE(logHas(": ERROR: "));
    EXPECT_TRUE(logHas(": Restore is cancelled."));
    EXPECT_FALSE(logHas("is finished"));
    const QStringList events = EventsQueue().takeAll();
    ASSERT_FALSE(events.isEmpty());
    EXPECT_TRUE(events.last().endsWith(": \"Docs job\" restore is cancelled."))
        << events.last().toStdString();
    EXPECT_TRUE(events.filter("is finished").isEmpty());
    EXPECT_TRUE(job->BackupHistory.snapshot().last().endsWith(": Restore is cancelled."));
    EXPECT_TRUE(treeOf(ui.outputFolder).isEmpty());
    EXPECT_EQ(job->JobStatus, jsNone);
}

} // namespace
