// Drive images on an SMB share: the job passes the share, the user name and (through the tool's
// environment) the password; the tool writes, lists, cleans up and recovers versions over SMB.
#include "DriveImageTestSupport.h"

#include "support/MissingFacility.h"
#include "support/SmbServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace TestEnvironment;

namespace {

class NetworkImageTest : public DriveImageTest
{
protected:
    void SetUp() override
    {
        DriveImageTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ZORVAN_SKIP_UNLESS(useSmbDestination(), "smbd cannot run here");
        shareFolder = destinationFolder;
        QFile::setPermissions(shareFolder, QFileDevice::Permissions(0x7777));
    }

    QHash<QString, QString> password() const { return {{"ZORVAN_IMAGETOOL_PASSWORD", smb->password()}}; }

    QString shareFolder; // the local folder behind the job's destination
};

TEST_F(NetworkImageTest, VersionsOnAShareAreCleanedUpAndRecoverByteForByte)
{
    const QString volume = makeVolume("disk.img", 5 << 20, 11);
    job->Settings.SourceDrivesList = {volume};
    job->Settings.AutocleanOldBackups = true;
    job->Settings.NumberOfBackupVersionsToKeep = "1";

    runBackup();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    ASSERT_EQ(versionsOn(shareFolder).size(), 1);
    EXPECT_TRUE(QFileInfo::exists(shareFolder + "/Image job.kxj"));
    scribble(volume, 3 << 20, 8192, 12);
    runBackup();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    // The clean-up that needs the password runs with the user's own rights: nothing went through the
    // elevation command, where the password would have been lost or exposed.
    EXPECT_TRUE(waitFor([&] { return versionsOn(shareFolder).size() == 1; }));
    EXPECT_TRUE(elevatedCommands().isEmpty());
    EXPECT_TRUE(partialVersionsOn(shareFolder).isEmpty());

    const QString version = versionsOn(shareFolder).first();
    const QString target = "-backupTarget:" + job->DestinationPath;
    const ToolResult listing = runTool({"get", "versions", target, "-user:" + smb->user()}, password());
    EXPECT_EQ(listing.exitCode, 0) << listing.output.toStdString();
    EXPECT_TRUE(listing.output.contains("Version identifier: " + version)) << listing.output.toStdString();

    const QString recovered = volumes + "/recovered.img";
    const ToolResult recovery =
        runTool({"start", "recovery", "-version:" + version, "-items:" + volume, target,
                 "-user:" + smb->user(), "-recoveryTarget:" + recovered, "-quiet"},
                password());
    ASSERT_EQ(recovery.exitCode, 0) << recovery.output.toStdString();
    EXPECT_TRUE(readFile(recovered) == readFile(volume));
}

TEST_F(NetworkImageTest, WrongPasswordIsAnErrorLineOfTheTool)
{
    const ToolResult listing =
        runTool({"get", "versions", "-backupTarget:" + job->DestinationPath, "-user:" + smb->user()},
                {{"ZORVAN_IMAGETOOL_PASSWORD", "wrong"}});
    EXPECT_EQ(listing.exitCode, 1);
    EXPECT_TRUE(listing.output.contains("ERROR The backup storage location " + job->DestinationPath +
                                        " cannot be reached: "))
        << listing.output.toStdString();
}

} // namespace
