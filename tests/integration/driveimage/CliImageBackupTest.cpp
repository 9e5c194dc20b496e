// zorvanbackup-cli: a drive image job created and backed up from the command line.
#include "DriveImageTestSupport.h"

#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "platform/StandardFolders.h"

#include <QDir>

TEST_F(DriveImageTest, CommandLineCreatesAnImageJobAndRunsItsBackup)
{
    QDir(StandardFolders::applicationDataFolder()).removeRecursively();
    QDir().mkpath(StandardFolders::applicationDataFolder());
    const QString volume = makeVolume("cli.img", 2 << 20, 21);
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    CliApp cli(out, err);
    ASSERT_EQ(cli.run({"create", "Nightly image", "--kind", "image", "--dest", job->DestinationPath,
                       "--volume", volume, "--keep-versions", "3"}),
              CliApp::kOk)
        << errText.toStdString();
    ASSERT_TRUE(dynamic_cast<TJob_DriveImage*>(cli.catalogue().findByName("Nightly image")));

    EXPECT_EQ(cli.run({"backup", "Nightly image"}), CliApp::kOk) << outText.toStdString();
    EXPECT_TRUE(outText.contains("The backup operation successfully completed.")) << outText.toStdString();
    EXPECT_TRUE(errText.contains("Starting the \"Nightly image\" backup.")) << errText.toStdString();
    EXPECT_EQ(versionsOn(drive).size(), 1);
}
