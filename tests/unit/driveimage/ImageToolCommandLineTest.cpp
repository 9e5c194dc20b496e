// The image tool's command lines built from a drive image job.
#include "driveimage/ImageToolCommandLine.h"
#include "jobs/uJob_DriveImage.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using namespace ImageToolCommandLine;

TEST(ImageToolCommandLineTest, DrivePartOfAMissingFolderIsThatOfItsNearestExistingParent)
{
    // /proc is a mount point on every Linux system.
    EXPECT_EQ(DrivePartOf("/proc/1/no such folder/deeper"), "/proc");
    EXPECT_EQ(DrivePartOf("/proc"), "/proc");
    EXPECT_EQ(DrivePartOf("/"), "/");
}

TEST(ImageToolCommandLineTest, IncludeListJoinsTheVolumesWithoutBlanks)
{
    EXPECT_EQ(IncludeList({"/", "/home/", "/dev/sdb1", "/srv/vm disk.img"}),
              "/,/home,/dev/sdb1,/srv/vm disk.img");
    EXPECT_EQ(IncludeList({}), "");
}

TEST(ImageToolCommandLineTest, ArgumentsByDestinationType)
{
    TJob_DriveImage job("Image job");
    job.Settings.SourceDrivesList = {"/", "/home/"};

    job.DestinationType = dtExternalDevice;
    job.DestinationPath = "/proc/1/Backups";
    EXPECT_EQ(BackupArguments(job),
              QStringList({"-backupTarget:/proc", "-include:/,/home", "-allCritical", "-quiet"}));
    EXPECT_EQ(DeleteArguments(job, "3"), QStringList({"-backuptarget:/proc", "-keepversions:3", "-quiet"}));
    EXPECT_TRUE(ToolEnvironment(job).isEmpty());

    job.DestinationType = dtNetwork;
    job.DestinationPath = "//nas/backup share/images";
    EXPECT_EQ(BackupArguments(job), QStringList({"-backupTarget:\"//nas/backup share/images\"",
                                                 "-include:/,/home", "-allCritical", "-quiet"}));
    EXPECT_EQ(DeleteArguments(job, "0"),
              QStringList({"-backuptarget:\"//nas/backup share/images\"", "-keepversions:0", "-quiet"}));
    EXPECT_TRUE(ToolEnvironment(job).isEmpty());

    // With a user name the password travels in the tool's environment, never on its command line.
    job.Destination_NetworkUsername = "ann";
    job.Destination_NetworkPassword = "s3cret pass";
    EXPECT_EQ(BackupArguments(job), QStringList({"-backupTarget:\"//nas/backup share/images\"", "-user:ann",
                                                 "-include:/,/home", "-allCritical", "-quiet"}));
    EXPECT_EQ(DeleteArguments(job, "2"), QStringList({"-backupTarget:\"//nas/backup share/images\"",
                                                      "-user:ann", "-keepversions:2", "-quiet"}));
    const QHash<QString, QString> environment = ToolEnvironment(job);
    EXPECT_EQ(environment.value("ZORVAN_IMAGETOOL_PASSWORD"), "s3cret pass");
    EXPECT_EQ(environment.size(), 1);
}

TEST(ImageToolCommandLineTest, ToolIsLookedForInPathThenBesideTheProgram)
{
    const QStringList variants = ToolVariants();
    ASSERT_EQ(variants.size(), 2);
    EXPECT_EQ(variants[0], "zorvan-imagetool");
    EXPECT_EQ(variants[1], ZORVAN_BIN_DIR "/zorvan-imagetool");
    EXPECT_EQ(ToolExecutable(variants[1]), variants[1]);
    EXPECT_EQ(ToolExecutable(ZORVAN_BIN_DIR "/no-such-tool"), "");
}

} // namespace
