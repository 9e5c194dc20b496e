// Recovering a drive image job's volume: the command line the guidance shows for a live system, the
// recovery that runs at once for a volume the system does not use, and the targets it refuses.
#include "DriveImageTestSupport.h"

#include "driveimage/DriveImageRecovery.h"
#include "events/EventsLog.h"
#include "platform/MountTable.h"
#include "support/LoopVolume.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QSysInfo>

using namespace TestEnvironment;
using namespace DriveImageRecovery;

namespace {

class DriveImageRecoveryTest : public DriveImageTest
{
protected:
    QList<TImageVersionInfo> versions()
    {
        QList<TImageVersionInfo> found;
        QString error;
        EXPECT_TRUE(ReadVersions(*job, found, error)) << error.toStdString();
        return found;
    }
};

TEST_F(DriveImageRecoveryTest, RecoverNowWritesTheChosenVersionBackByteForByte)
{
    const QString volume = makeVolume("data volume.img", 5 << 20, 3);
    job->Settings.SourceDrivesList = {volume};
    runBackup();
    ASSERT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    const QByteArray first = readFile(volume);
    scribble(volume, 1 << 20, 64 << 10, 7);
    runBackup();
    ASSERT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();

    const QList<TImageVersionInfo> listed = versions();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed[0].Volumes.startsWith(volume + " (")) << listed[0].Volumes.toStdString();
    EXPECT_NE(listed[0].Identifier, listed[1].Identifier);

    // The volume changes again; the second-newest version puts the first state back.
    scribble(volume, 0, 2 << 20, 11);
    const TMountTable mounts = TMountTable::FromSystem();
    EXPECT_TRUE(CanRecoverNow(volume, mounts));
    EXPECT_EQ(TargetRefusal(*job, volume, mounts), QString());
    EXPECT_EQ(TargetDescription(volume), volume + " (" + QLocale::system().formattedDataSize(5 << 20) + ")");
    EventsQueue().takeAll();
    ASSERT_TRUE(StartRecovery(*job, {listed[0].Identifier, volume, volume}));
    EXPECT_EQ(job->JobStatus.load(), jsRunning);
    EXPECT_EQ(job->JobOperation.load(), joRestore);
    EXPECT_FALSE(StartRecovery(*job, {listed[0].Identifier, volume, volume})) << "one run at a time";
    waitUntilIdle();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    EXPECT_TRUE(readFile(volume) == first);
    EXPECT_FALSE(logLinesWith("completed successfully").isEmpty()) << logLines().join('\n').toStdString();
    EXPECT_TRUE(logLinesWith(", checked (").isEmpty()) << "progress goes to the row, not the log";
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].endsWith("Starting the \"Image job\" recovery of volume " + volume + " to " +
                                   volume + "."));
    EXPECT_TRUE(events[1].endsWith("\"Image job\" recovery is finished."));

    // A version that is not there: the tool's error ends up in the log and the count.
    ASSERT_TRUE(StartRecovery(*job, {"1999-01-01 00;00;00", volume, volume}));
    waitUntilIdle();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 1) << logLines().join('\n').toStdString();
    EXPECT_FALSE(logLinesWith("was not found").isEmpty());
    EXPECT_TRUE(readFile(volume) == first);
}

TEST_F(DriveImageRecoveryTest, GuidanceCommandLineRecoversTheNewestVersionOnALiveSystem)
{
    const QString volume = makeVolume("system disk.img", 3 << 20, 5);
    job->Settings.SourceDrivesList = {volume};
    runBackup();
    const QList<TImageVersionInfo> listed = versions();
    ASSERT_EQ(listed.size(), 1);
    const QString restored = volumes + "/restored here.img";
    const QString line = GuidanceCommandLine(*job, {listed[0].Identifier, volume, restored});
    // Values with blanks or semicolons are quoted for the shell.
    EXPECT_TRUE(line.startsWith("sudo zorvan-imagetool start recovery -version:\"" + listed[0].Identifier +
                                "\" -items:\"" + volume + "\" -backupTarget:"))
        << line.toStdString();
    EXPECT_TRUE(
        line.endsWith(" -recoveryTarget:\"" + restored + "\" -machine:" + QSysInfo::machineHostName()))
        << line.toStdString();

    // As a user types it (the tool from here instead of the installed one), answering the question.
    QString shellLine = line;
    shellLine.replace("sudo zorvan-imagetool", toolPath());
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start("/bin/sh", {"-c", shellLine});
    shell.write("y\n");
    shell.closeWriteChannel();
    ASSERT_TRUE(shell.waitForFinished(120000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAll().toStdString();
    EXPECT_TRUE(readFile(restored) == readFile(volume));

    // -machine: names the computer whose versions are read, whatever the running system is called.
    const ToolResult other =
        runTool({"get", "versions", "-backupTarget:" + drive, "-machine:another-computer"});
    EXPECT_EQ(other.exitCode, 0);
    EXPECT_TRUE(other.output.contains("There are no backup versions")) << other.output.toStdString();
    const ToolResult ours =
        runTool({"get", "versions", "-backupTarget:" + drive, "-machine:" + QSysInfo::machineHostName()});
    EXPECT_TRUE(ours.output.contains("Version identifier: " + listed[0].Identifier))
        << ours.output.toStdString();
}

TEST_F(DriveImageRecoveryTest, TargetsInUseAreRefused)
{
    const QString storageImage = volumes + "/storage.img";
    LoopVolume storage(storageImage, makeFolder("storage"), "STORAGE");
    ZORVAN_SKIP_UNLESS(storage.mounted(), storage.errorText().toStdString().c_str());
    LoopVolume other(volumes + "/other.img", makeFolder("other"), "OTHER");
    ASSERT_TRUE(other.mounted()) << other.errorText().toStdString();
    job->DestinationPath = storage.mountPoint() + "/Backups";
    const TMountTable mounts = TMountTable::FromSystem();
    writeFile(volumes + "/plain.img", QByteArray(4096, 'x'));

    struct TCase
    {
        QString Target;
        QString Refusal; // a part of the message; empty: accepted
    };
    const TCase cases[] = {
        {storage.device(), storage.device() + " holds the backup storage " + storage.mountPoint()},
        {other.device(), other.device() + " cannot be overwritten: it is mounted at " + other.mountPoint()},
        {volumes + "/other.img", "it is the backing file of " + other.device()},
        {volumes, "is neither a drive nor a volume file"},
        {volumes + "/missing/new.img", "The folder of " + volumes + "/missing/new.img does not exist."},
        {"", "Choose the drive or the volume file to recover onto."},
        {volumes + "/plain.img", ""},
        {volumes + "/new.img", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Target.toStdString());
        const QString refusal = TargetRefusal(*job, c.Target, mounts);
        if (c.Refusal.isEmpty())
            EXPECT_EQ(refusal, QString());
        else
            EXPECT_TRUE(refusal.contains(c.Refusal)) << refusal.toStdString();
    }
    EXPECT_FALSE(CanRecoverNow("/", mounts));
    EXPECT_FALSE(CanRecoverNow(other.mountPoint(), mounts));
    EXPECT_FALSE(CanRecoverNow(other.device(), mounts));
    EXPECT_TRUE(CanRecoverNow(volumes + "/plain.img", mounts));
    EXPECT_EQ(VolumeLocation(other.mountPoint(), mounts), other.device());
    EXPECT_EQ(VolumeLocation(volumes + "/plain.img", mounts), volumes + "/plain.img");
}

} // namespace
