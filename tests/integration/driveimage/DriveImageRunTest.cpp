// Drive image runs end to end: the job starts the real image tool on file-backed volumes, reads its
// output, cleans up versions, stops it on cancel, and writes its logs and files.
#include "DriveImageTestSupport.h"

#include "events/EventsLog.h"
#include "jobs/JobPaths.h"
#include "platform/FileSystemIdentity.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/mount.h>
#include <unistd.h>

using namespace TestEnvironment;

namespace {

const QString kTool = QStringLiteral(ZORVAN_BIN_DIR "/zorvan-imagetool");

// Lets other users pass through the test's private folders down to `folder`.
void openFoldersDownTo(const QString& folder)
{
    const QString top = QDir(ZORVAN_TEST_WORK_DIR).canonicalPath();
    for (QString at = QDir(folder).canonicalPath(); at.startsWith(top + '/'); at = QFileInfo(at).path())
        QFile::setPermissions(at, QFile::permissions(at) | QFile::ExeOther);
}

QStringList errorLines(const QStringList& log)
{
    return log.filter("ERROR");
}

} // namespace

TEST_F(DriveImageTest, TwoBackupsKeepTheNewestVersionWhichRecoversByteForByte)
{
    const QString first = makeVolume("first.img", 6 << 20, 1);
    const QString second = makeVolume("second volume.img", 3 << 20, 2);
    job->Settings.SourceDrivesList = {first, second};
    job->Settings.AutocleanOldBackups = true;
    job->Settings.NumberOfBackupVersionsToKeep = "1";
    EventsQueue().takeAll();

    runBackup();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    EXPECT_FALSE(job->LastJobResult.Cancelled);
    const QStringList firstVersions = versionsOn(drive);
    ASSERT_EQ(firstVersions.size(), 1) << logLines().join(QChar(10)).toStdString();
    // The clean-up went through the elevation command, with the variant that ran the backup.
    const QString deleteCommand = kTool + " delete backup -backuptarget:" + drive + " -keepversions:1 -quiet";
    ASSERT_TRUE(waitFor([&] { return !elevatedCommands().filter(deleteCommand).isEmpty(); }));
    EXPECT_TRUE(elevatedCommands().first().endsWith(deleteCommand));
    // The run's own files: the remote job file beside the backups, the log file, the history.
    EXPECT_TRUE(QFileInfo::exists(drive + "/Backups/Image job.kxj"));
    const QStringList logFiles = QDir(JobLogFolder(*job)).entryList({"*.txt"});
    ASSERT_EQ(logFiles.size(), 1);
    EXPECT_EQ(job->LogList.snapshot(), QStringList{logFiles.first().chopped(4)});
    EXPECT_TRUE(QFileInfo::exists(LocalJobFilePath("Image job")));
    EXPECT_TRUE(job->BackupHistory.last().endsWith("Starting the backup."));
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(events.first().endsWith("Starting the \"Image job\" backup."));
    // The log: separator, the tool's status lines as they stand, no banner, no progress, an empty closing
    // line.
    const QStringList log = logLines();
    EXPECT_TRUE(log.contains("-----------------------------"));
    EXPECT_TRUE(log.filter("Copyright").isEmpty());
    EXPECT_TRUE(log.filter(", copied (").isEmpty());
    EXPECT_TRUE(log.contains("The backup operation successfully completed."));
    EXPECT_TRUE(log.contains(QString()));
    EXPECT_TRUE(errorLines(log).isEmpty());

    scribble(first, 1 << 20, 4096, 9); // into the hole: the second version differs
    runBackup();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    ASSERT_TRUE(waitFor([&] { return elevatedCommands().size() == 2 && versionsOn(drive).size() == 1; }))
        << versionsOn(drive).join(", ").toStdString();
    const QString newest = versionsOn(drive).first();
    EXPECT_GT(newest, firstVersions.first());

    for (const QString& volume : {first, second}) {
        SCOPED_TRACE(volume.toStdString());
        const QString recovered = volumes + "/recovered.img";
        QFile::remove(recovered);
        const ToolResult recovery =
            runTool({"start", "recovery", "-version:" + newest, "-items:" + volume, "-backupTarget:" + drive,
                     "-recoveryTarget:" + recovered, "-quiet"});
        ASSERT_EQ(recovery.exitCode, 0) << recovery.output.toStdString();
        EXPECT_TRUE(readFile(recovered) == readFile(volume));
    }
}

TEST_F(DriveImageTest, CancelInTheMiddleStopsTheToolAndLeavesNoVersion)
{
    // Large enough that the tool is still at work when the run is cancelled.
    const QString volume = volumes + "/large.img";
    {
        QFile file(volume);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    scribble(volume, 0, 512 << 20, 3);
    job->Settings.SourceDrivesList = {volume};
    job->Settings.AutocleanOldBackups = true;
    EventsQueue().takeAll();

    ASSERT_TRUE(job->Backup());
    ASSERT_TRUE(waitFor([&] {
        const int progress = job->CurrentFileOperationProgress;
        return progress > 0 && progress < 100;
    })) << logLines().join('\n').toStdString();
    EXPECT_EQ(job->CurrentFileOperationPath.get(), "Creating a backup of volume " + volume);
    job->Cancel();
    waitUntilIdle();

    EXPECT_TRUE(job->LastJobResult.Cancelled);
    const QStringList commands = elevatedCommands();
    ASSERT_EQ(commands.size(), 1);
    EXPECT_TRUE(commands.first().endsWith(kTool + " stop job -quiet"));
    // The run waited for the tool: the unfinished version is gone, and nothing was cleaned up.
    EXPECT_TRUE(versionsOn(drive).isEmpty());
    EXPECT_TRUE(partialVersionsOn(drive).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(drive + "/Backups/Image job.kxj"));
    EXPECT_EQ(logLinesWith("Backup is cancelled.").size(), 1);
    EXPECT_TRUE(job->BackupHistory.last().endsWith("Backup is cancelled."));
    EXPECT_FALSE(EventsQueue().takeAll().filter("\"Image job\" backup is cancelled.").isEmpty());
    EXPECT_EQ(QDir(JobLogFolder(*job)).entryList({"*.txt"}).size(), 1);
}

TEST_F(DriveImageTest, RunCancelledBeforeTheToolStartsSendsNoStopCommand)
{
    job->Settings.SourceDrivesList = {makeVolume("a.img", 1 << 20, 4)};
    job->OptionsToJobOptions();
    job->JobStatus = jsCancelling;
    job->BackupInThread();

    EXPECT_TRUE(job->isIdle());
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(elevatedCommands().isEmpty());
    EXPECT_TRUE(versionsOn(drive).isEmpty());
    EXPECT_EQ(QDir(JobLogFolder(*job)).entryList({"*.txt"}).size(), 1);
}

TEST_F(DriveImageTest, TargetTooSmallIsOneCountedErrorAndNoCleanUp)
{
    const QString small = mountDrive("small drive", 1);
    ASSERT_FALSE(small.isEmpty());
    job->DestinationPath = small;
    const QString volume = volumes + "/random.img";
    {
        QFile file(volume);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    scribble(volume, 0, 3 << 20, 5);
    job->Settings.SourceDrivesList = {volume};
    job->Settings.AutocleanOldBackups = true;

    runBackup();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 1);
    EXPECT_FALSE(job->LastJobResult.Cancelled);
    const QStringList errors = errorLines(logLines());
    ASSERT_EQ(errors.size(), 1) << logLines().join('\n').toStdString();
    EXPECT_TRUE(
        errors.first().contains(": ERROR:There is not enough free space on the backup storage location"));
    EXPECT_TRUE(elevatedCommands().isEmpty()); // an error holds the clean-up back
    EXPECT_TRUE(versionsOn(small).isEmpty());
    EXPECT_TRUE(partialVersionsOn(small).isEmpty());
}

TEST_F(DriveImageTest, UnreadableVolumeGivesExactlyOneErrorLine)
{
    const QString volume = makeVolume("secret.img", 1 << 20, 6);
    QFile::setPermissions(volume, QFile::ReadOwner | QFile::WriteOwner);
    if (::geteuid() == 0) {
        // Root reads every file: the tool found first in PATH runs it without rights.
        openFoldersDownTo(drive);
        openFoldersDownTo(volumes);
        const QString wrapperFolder = makeFolder("unprivileged tool");
        const QString wrapper = wrapperFolder + "/zorvan-imagetool";
        writeFile(wrapper, "#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups '" +
                               kTool.toUtf8() + "' \"$@\"\n");
        QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", (wrapperFolder + ':' + qEnvironmentVariable("PATH")).toUtf8());
    }
    job->Settings.SourceDrivesList = {volume};

    runBackup();
    if (::geteuid() == 0)
        qputenv("PATH", qEnvironmentVariable("PATH").section(':', 1).toUtf8());
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 1);
    const QStringList errors = errorLines(logLines());
    ASSERT_EQ(errors.size(), 1) << logLines().join('\n').toStdString();
    EXPECT_TRUE(errors.first().endsWith(": ERROR: For system backup you must run the application as admin."))
        << logLines().join(QChar(10)).toStdString();
    EXPECT_TRUE(logLines().filter("Access denied").isEmpty());
    EXPECT_TRUE(versionsOn(drive).isEmpty());
}

TEST_F(DriveImageTest, RemoveHandsTheDeletionOfEveryVersionToTheTool)
{
    job->Settings.SourceDrivesList = {makeVolume("a.img", 1 << 20, 7)};
    job->Settings.AutocleanOldBackups = true;
    job->Settings.NumberOfBackupVersionsToKeep = "5";
    runBackup();
    runBackup();
    ASSERT_EQ(versionsOn(drive).size(), 2);
    ASSERT_TRUE(waitFor([&] { return elevatedCommands().size() == 2; }));

    EXPECT_TRUE(job->Remove());
    EXPECT_EQ(job->JobOperation.load(), joRemove);
    EXPECT_FALSE(QFileInfo::exists(drive + "/Backups/Image job.kxj"));
    EXPECT_TRUE(waitFor([&] { return versionsOn(drive).isEmpty(); }));
    EXPECT_TRUE(elevatedCommands().last().endsWith(kTool + " delete backup -backuptarget:" + drive +
                                                   " -keepversions:0 -quiet"));
}

TEST_F(DriveImageTest, UnreachableStorageEndsTheRunAsCancelledWithoutStartingTheTool)
{
    job->DestinationPath = drive + "/missing folder";
    job->Settings.SourceDrivesList = {makeVolume("a.img", 1 << 20, 8)};
    EventsQueue().takeAll();
    runBackup();

    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_TRUE(versionsOn(drive).isEmpty());
    EXPECT_TRUE(
        job->BackupHistory.last().contains("Backup is cancelled. ERROR: The directory does not exist:"));
    EXPECT_FALSE(EventsQueue().takeAll().filter("\"Image job\" backup is cancelled: ERROR:").isEmpty());
    EXPECT_EQ(QDir(JobLogFolder(*job)).entryList({"*.txt"}).size(), 1);
}

// Another drive mounted where the drive of the earlier versions was: the tool is not started on it
// until the new drive is accepted on purpose.
TEST_F(DriveImageTest, AnotherDriveAtTheMountPointIsRefusedUntilAccepted)
{
    job->Settings.SourceDrivesList = {makeVolume("a.img", 1 << 20, 9)};
    runBackup();
    ASSERT_EQ(versionsOn(drive).size(), 1) << logLines().join('\n').toStdString();
    const qsizetype commands = elevatedCommands().size();
    ::umount2(QFile::encodeName(drive).constData(), MNT_DETACH);
    TmpfsMount other(drive, "zorvan-other-drive", 64);
    ASSERT_TRUE(other.mounted());
    int error = 0;
    ZORVAN_SKIP_UNLESS(
        !FileSystemIdentityOf(drive, error).FileSystemId.isEmpty(),
        "this kernel tells one RAM disk from the next only by a device number it hands out again");
    QDir().mkpath(job->DestinationPath);

    runBackup();
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    const QStringList errors = errorLines(logLines());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains("Found: zorvan-other-drive (tmpfs")) << errors.first().toStdString();
    EXPECT_EQ(elevatedCommands().size(), commands);
    EXPECT_TRUE(versionsOn(drive).isEmpty());

    job->AcceptNewDestination = true;
    runBackup();
    EXPECT_FALSE(job->LastJobResult.Cancelled);
    EXPECT_EQ(versionsOn(drive).size(), 1) << logLines().join('\n').toStdString();
}

TEST_F(DriveImageTest, ToolThatFailsIsAnErrorWhetherOrNotItSaysSo)
{
    // Stand-ins found first in PATH for the two ways a tool can fail: with its error line as the very
    // last thing it writes, and by being killed without a word.
    struct Case
    {
        const char* name;
        QByteArray script;
        const char* errorLine;
    };
    const Case cases[] = {
        {"last line",
         "echo 'Retrieving volume information...'\necho 'ERROR The volume cannot be read.'\nexit 1\n",
         ": ERROR: The volume cannot be read."},
        {"killed", "echo 'Retrieving volume information...'\nkill -KILL $$\n",
         ": ERROR: The backup tool ended without completing the backup (exit code signal 9)."},
    };
    const QString path = qEnvironmentVariable("PATH");
    job->Settings.SourceDrivesList = {makeVolume("a.img", 1 << 20, 9)};
    job->Settings.AutocleanOldBackups = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = makeFolder("failing tool");
        writeFile(folder + "/zorvan-imagetool", "#!/bin/sh\n" + c.script);
        QFile::setPermissions(folder + "/zorvan-imagetool", QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", (folder + ':' + path).toUtf8());
        runBackup();
        qputenv("PATH", path.toUtf8());

        EXPECT_EQ(job->LastJobResult.ErrorsCount, 1);
        EXPECT_FALSE(job->LastJobResult.Cancelled);
        const QStringList errors = errorLines(logLines());
        ASSERT_EQ(errors.size(), 1) << logLines().join('\n').toStdString();
        EXPECT_TRUE(errors.first().endsWith(c.errorLine)) << errors.first().toStdString();
        EXPECT_TRUE(logLines().contains("Retrieving volume information..."));
        EXPECT_TRUE(elevatedCommands().isEmpty()); // no clean-up after a failed run
    }
}
