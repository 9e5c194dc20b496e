// A local destination stays tied to the drive it was on. The drives here are RAM disks mounted inside
// another one that plays the system disk: a drive that is not mounted leaves its empty mount point
// there, and a run must not fill it.
#include "EngineTestSupport.h"

#include "cli/CliApp.h"
#include "platform/FileSystemIdentity.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QProcess>

#include <memory>

using namespace TestEnvironment;

namespace {
class DestinationIdentityTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        QDir(StandardFolders::applicationDataFolder()).removeRecursively(); // no jobs of earlier tests
        QDir().mkpath(StandardFolders::applicationDataFolder());
        root = makeFolder("drives");
        system = std::make_unique<TmpfsMount>(root + "/system", "zorvan-system");
        ZORVAN_SKIP_UNLESS(system->mounted(), "mounting a tmpfs needs root rights");
        int error = 0;
        ZORVAN_SKIP_UNLESS(
            !FileSystemIdentityOf(root + "/system", error).FileSystemId.isEmpty(),
            "this kernel tells one RAM disk from the next only by a device number it hands out again");
        usb = root + "/system/media/usb";
        QDir().mkpath(usb);
        writeFile(root + "/src/a.txt", "alpha");
        writeFile(root + "/src/sub/b.txt", "beta");
    }
    void TearDown() override
    {
        drive.reset();
        system.reset();
        EngineTest::TearDown();
    }
    void plugIn(const QString& name)
    {
        drive = std::make_unique<TmpfsMount>(usb, name);
        ASSERT_TRUE(drive->mounted());
    }
    static QString fileSystem(const QString& name, const QString& device, const QString& mountPoint)
    {
        return name + " (tmpfs, device " + device + ", mounted at " + mountPoint + ")";
    }

    QString root;
    QString usb; // the drive's mount point on the system disk, and the job's destination
    std::unique_ptr<TmpfsMount> system;
    std::unique_ptr<TmpfsMount> drive;
};
} // namespace

TEST_F(DestinationIdentityTest, UnpluggedDriveIsRefusedMovedBackupsAndNewDrivesAccepted)
{
    plugIn("zorvan-drive-1");
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src", "--dest", usb, "--type", "full"}).code,
              CliApp::kOk);
    CliRun run = RunCli({"backup", "Docs"});
    ASSERT_EQ(run.code, CliApp::kOk) << run.out.toStdString();
    const QString moved = makeFolder("moved");
    ASSERT_EQ(QProcess::execute("cp", {"-a", usb + "/.", moved}), 0);
    const QString firstDrive = fileSystem("zorvan-drive-1", drive->device(), usb);
    const QString systemDisk = fileSystem("zorvan-system", system->device(), root + "/system");

    drive->unmount();
    run = RunCli({"backup", "Docs"});
    EXPECT_EQ(run.code, CliApp::kCancelled);
    EXPECT_TRUE(run.out.contains(": ERROR: The destination " + usb +
                                 " is not on the drive of the earlier backups. Expected: " + firstDrive +
                                 ". Found: " + systemDisk +
                                 ", which holds no backup of this job. Connect the drive and run the job "
                                 "again, or accept the new drive on purpose."))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(": Backup is cancelled."));
    EXPECT_EQ(treeOf(root + "/system"), QStringList({"media/", "media/usb/"}));

    // The user copied the backups to another drive: found there, accepted and remembered.
    plugIn("zorvan-drive-2");
    ASSERT_EQ(QProcess::execute("cp", {"-a", moved + "/.", usb}), 0);
    run = RunCli({"backup", "Docs"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.out.toStdString();
    const QString secondDrive = fileSystem("zorvan-drive-2", drive->device(), usb);
    EXPECT_TRUE(run.out.contains(": The backups of this job are now on " + secondDrive +
                                 " (before: " + firstDrive + ")."))
        << run.out.toStdString();

    // An empty new drive: refused, naming the drive of the moved backups, until it is taken on purpose.
    drive->unmount();
    plugIn("zorvan-drive-3");
    run = RunCli({"backup", "Docs"});
    EXPECT_EQ(run.code, CliApp::kCancelled);
    EXPECT_TRUE(run.out.contains("Expected: " + secondDrive + ". Found: zorvan-drive-3"))
        << run.out.toStdString();
    EXPECT_TRUE(treeOf(usb).isEmpty());
    EXPECT_EQ(RunCli({"backup", "Docs", "--accept-new"}).code, CliApp::kUsage);
    run = RunCli({"backup", "Docs", "--accept-new-destination"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.out.toStdString();
    const QString thirdDrive = fileSystem("zorvan-drive-3", drive->device(), usb);
    EXPECT_TRUE(run.out.contains(": The new drive is accepted as the destination: " + thirdDrive +
                                 " (before: " + secondDrive + ")."))
        << run.out.toStdString();
    EXPECT_TRUE(treeOf(usb).contains("Docs.kxj"));
    run = RunCli({"backup", "Docs"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("accepted") || run.out.contains("are now on")) << run.out.toStdString();
}

// The refusal counts as an error of a cancelled run; a destination changed in the job's settings is
// not held to the drive of the old one.
TEST_F(DestinationIdentityTest, RefusalIsCountedAndAChangedDestinationStartsAfresh)
{
    plugIn("zorvan-drive");
    job->DestinationPath = usb;
    ConfigureJob(*job, btSync, {root + "/src/*"});
    runBackup();
    ASSERT_TRUE(logHas("Backup job \"Docs job\" is finished.")) << logLines().join('\n').toStdString();
    drive->unmount();
    runBackup();
    EXPECT_TRUE(job->LastJobResult.Cancelled.load());
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 1);
    EXPECT_TRUE(logHas("is not on the drive of the earlier backups"));
    EXPECT_TRUE(treeOf(usb).isEmpty());

    job->DestinationPath = root + "/system/media";
    runBackup();
    EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished.")) << logLines().join('\n').toStdString();
    EXPECT_TRUE(treeOf(root + "/system/media").contains("Docs job/src/a.txt"));
}

// What a removed job's runs found does not bind a new job that takes its name.
TEST_F(DestinationIdentityTest, NewJobOfARemovedJobsNameHasNothingRemembered)
{
    plugIn("zorvan-drive");
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src", "--dest", usb}).code, CliApp::kOk);
    ASSERT_EQ(RunCli({"backup", "Docs"}).code, CliApp::kOk);
    drive->unmount();
    ASSERT_EQ(RunCli({"remove", "Docs"}).code, CliApp::kOk);
    ASSERT_EQ(RunCli({"create", "DOCS", "--source", root + "/src", "--dest", usb}).code, CliApp::kOk);
    const CliRun run = RunCli({"backup", "DOCS"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.out.toStdString();
    EXPECT_TRUE(treeOf(usb).contains("DOCS.kxj"));
}
