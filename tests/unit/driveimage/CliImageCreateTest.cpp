// zorvanbackup-cli create --kind image: the job that lands in the catalogue, and the refused command lines.
#include "cli/CliApp.h"
#include "cli/CliImageCommands.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "platform/StandardFolders.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include "support/CliRunner.h"
#include <gtest/gtest.h>

#include <QDir>

namespace {

CliRun create(const QStringList& args)
{
    return RunWithCli([&](CliApp& cli) { return CliImageCommands::RunCreateImageJob(cli, args); });
}

// The job as a fresh start of the program reads it.
std::unique_ptr<TJob_DriveImage> storedJob(const QString& name)
{
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    CliApp cli(out, err);
    const int index = cli.catalogue().indexOfName(name);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TJob> job = cli.catalogue().takeAt(index);
    if (!dynamic_cast<TJob_DriveImage*>(job.get()))
        return nullptr;
    return std::unique_ptr<TJob_DriveImage>(static_cast<TJob_DriveImage*>(job.release()));
}

class CliImageCreateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        EventsQueue().takeAll();
    }
};

TEST_F(CliImageCreateTest, ImageJobWithVolumesAndVersionsJoinsTheCatalogue)
{
    EXPECT_TRUE(CliImageCommands::IsImageCreate({"System", "--kind", "image"}));
    EXPECT_FALSE(CliImageCommands::IsImageCreate({"Docs", "--kind", "files"}));

    const CliRun run = create({"System", "--kind", "image", "--dest", "/media/usb/Backups/", "--volume", "/",
                               "--volume", "/home/", "--keep-versions", "2"});
    ASSERT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
    const auto job = storedJob("System");
    ASSERT_TRUE(job);
    EXPECT_EQ(job->DestinationType, dtExternalDevice);
    EXPECT_EQ(job->DestinationPath, "/media/usb/Backups");
    EXPECT_EQ(job->Settings.SourceDrivesList, QStringList({"/", "/home"}));
    EXPECT_TRUE(job->Settings.AutocleanOldBackups);
    EXPECT_EQ(job->Settings.NumberOfBackupVersionsToKeep, "2");

    const QString passwordFile = TestEnvironment::makeFolder("password") + "/password.txt";
    TestEnvironment::writeFile(passwordFile, "s3cret\n");
    ASSERT_EQ(create({"Share", "--kind", "image", "--dest", "\\\\nas\\images", "--user", "ann",
                      "--password-file", passwordFile, "--volume", "/dev/sda1"})
                  .code,
              CliApp::kOk);
    const auto share = storedJob("Share");
    ASSERT_TRUE(share);
    EXPECT_EQ(share->DestinationType, dtNetwork);
    EXPECT_EQ(share->DestinationPath, "//nas/images");
    EXPECT_EQ(share->Destination_NetworkUsername, "ann");
    EXPECT_EQ(share->Destination_NetworkPassword, "s3cret");
    EXPECT_FALSE(share->Settings.AutocleanOldBackups);
}

TEST_F(CliImageCreateTest, RefusedCommandLines)
{
    ASSERT_EQ(create({"Taken", "--kind", "image", "--dest", "/media/usb", "--volume", "/"}).code,
              CliApp::kOk);
    const QList<QStringList> refused = {
        {"NoVolume", "--kind", "image", "--dest", "/media/usb"},
        {"NoDestination", "--kind", "image", "--volume", "/"},
        {"Bad:Name", "--kind", "image", "--dest", "/media/usb", "--volume", "/"},
        {"Zero", "--kind", "image", "--dest", "/media/usb", "--volume", "/", "--keep-versions", "0"},
        {"Word", "--kind", "image", "--dest", "/media/usb", "--volume", "/", "--keep-versions", "two"},
        {"LocalUser", "--kind", "image", "--dest", "/media/usb", "--volume", "/", "--user", "ann"},
        {"NoPassword", "--kind", "image", "--dest", "//nas/images", "--volume", "/", "--user", "ann"},
        {"taken", "--kind", "image", "--dest", "/media/usb", "--volume", "/"},
        {"Odd", "--kind", "image", "--dest", "/media/usb", "--volume", "/", "--schedule"},
    };
    for (const QStringList& args : refused) {
        const CliRun run = create(args);
        EXPECT_EQ(run.code, CliApp::kUsage) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(storedJob("NoVolume"));
    EXPECT_FALSE(storedJob("Zero"));
}

} // namespace
