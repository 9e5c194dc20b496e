#include "imagetool/ToolConsole.h"
#include "imagetool/ImageTool.h"
#include "imagetool/ToolResults.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolConsole, ProgressLinesHaveTheShapeTheJobReadsAndAreNotRepeatedNeedlessly)
{
    QByteArray output;
    TToolConsole console(&output);
    console.Progress("Creating a backup of volume /dev/sdb1", "copied", 0);
    console.Progress("Creating a backup of volume /dev/sdb1", "copied", 0);
    console.Progress("Creating a backup of volume /dev/sdb1", "copied", 42);
    console.Progress("Creating a backup of volume /data/b.img", "copied", 42);
    console.Error("Something failed.");
    EXPECT_EQ(output, "Creating a backup of volume /dev/sdb1, copied (0%).\n"
                      "Creating a backup of volume /dev/sdb1, copied (42%).\n"
                      "Creating a backup of volume /data/b.img, copied (42%).\n"
                      "ERROR Something failed.\n");
}

TEST(ToolConsole, ConfirmationTakesOnlyYes)
{
    QByteArray output;
    TToolConsole console(&output, "y\nNo\n YES \n");
    EXPECT_TRUE(console.Confirm("First?"));
    EXPECT_FALSE(console.Confirm("Second?"));
    EXPECT_TRUE(console.Confirm("Third?"));
    EXPECT_FALSE(console.Confirm("Out of answers?"));
}

TEST(ImageTool, BannerUsageAndCommandLineErrors)
{
    QByteArray output;
    TToolConsole console(&output);
    EXPECT_EQ(TImageTool(console, "pc").Run({"help"}), ecSuccess);
    const QList<QByteArray> lines = output.split('\n');
    EXPECT_TRUE(lines[0].contains("Backup command-line tool") && lines[0].contains("Copyright"));
    EXPECT_TRUE(output.contains("start recovery"));

    output.clear();
    EXPECT_EQ(TImageTool(console, "pc").Run({"start", "backup", "-include:/"}), ecUsage);
    EXPECT_TRUE(output.contains("ERROR The option -backuptarget is missing."));
}

TEST(ImageTool, UnreachableNetworkTargetsGiveAnErrorLine)
{
    // Port 1 of this computer: nothing listens there, so the connection is refused at once.
    for (const QStringList& arguments :
         {QStringList{"start", "backup", "-backupTarget://127.0.0.1:1/images", "-user:anna", "-password:x",
                      "-include:/a"},
          QStringList{"delete", "backup", "-backupTarget:\"//127.0.0.1:1/My Images\"", "-keepVersions:2",
                      "-quiet"},
          QStringList{"get", "versions", "-backupTarget:smb://127.0.0.1:1/images"}}) {
        QByteArray output;
        TToolConsole console(&output);
        EXPECT_EQ(TImageTool(console, "pc").Run(arguments), ecFailed);
        EXPECT_TRUE(output.contains("ERROR The backup storage location ") &&
                    output.contains("cannot be reached"))
            << output.toStdString();
    }
}

} // namespace
