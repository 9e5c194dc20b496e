#include "cli/CliApp.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

class CliListShowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        EventsQueue().takeAll();

        TJob_FilesAndFolders docs("Documents");
        docs.DestinationPath = "/media/usb/backups";
        docs.Settings.Sources.List = {"/home/me/Documents/*", "/home/me/notes.txt"};
        docs.Settings.Backup.BackupType = btSync;
        docs.Destination_NetworkPassword = "secret";
        docs.SchedulingSettings.SchedulingType = stDaysOfWeek;
        docs.SchedulingSettings.DaysOfWeek[1] = true;
        docs.SchedulingSettings.TimeTable = {"08:30:00"};
        ASSERT_TRUE(docs.SaveLocalJobFile(LocalJobFilePath("Documents")));

        TJob_DriveImage system("System");
        system.DestinationPath = "/media/usb";
        system.Settings.SourceDrivesList = {"/dev/sda1"};
        ASSERT_TRUE(system.SaveLocalJobFile(LocalJobFilePath("System")));
        TestEnvironment::writeFile(JobsListFilePath(), "\xEF\xBB\xBF"
                                                       "Documents\r\nSystem\r\n");
    }
};

TEST_F(CliListShowTest, ListShowsEveryJobInOrder)
{
    const CliRun run = RunCli({"list"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("Name"));
    EXPECT_TRUE(lines[1].startsWith("Documents")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("files") && lines[1].contains("/media/usb/backups"));
    EXPECT_TRUE(lines[1].contains("08:30:00") && lines[1].contains("Never started"));
    EXPECT_TRUE(lines[2].startsWith("System") && lines[2].contains("image"));

    const CliRun json = RunCli({"list", "--json"});
    ASSERT_EQ(json.code, 0);
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["name"].toString(), "Documents");
    EXPECT_EQ(rows[1].toObject()["kind"].toString(), "image");
    EXPECT_EQ(rows[1].toObject()["last_result"].toString(), "Never started");
}

TEST_F(CliListShowTest, ShowPrintsAllSettingsButNeverThePassword)
{
    const CliRun run = RunCli({"show", "documents"}); // names compare with ASCII case folded
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Name: Documents"));
    EXPECT_TRUE(run.out.contains("/home/me/Documents/*"));
    EXPECT_TRUE(run.out.contains("Backup type: mirror"));
    EXPECT_FALSE(run.out.contains("secret"));

    const CliRun json = RunCli({"show", "Documents", "--json"});
    const QJsonObject details = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(details["sources"].toArray().size(), 2);
    EXPECT_EQ(details["backup_type"].toString(), "mirror");
    EXPECT_TRUE(details["network_password_set"].toBool());
    EXPECT_EQ(details["schedule"].toObject()["timetable"].toArray()[0].toString(), "08:30:00");
    EXPECT_EQ(details["schedule"].toObject()["days_of_week"].toArray()[0].toInt(), 1);

    const CliRun image = RunCli({"show", "System", "--json"});
    EXPECT_EQ(QJsonDocument::fromJson(image.out.toUtf8()).object()["keep_versions"].toString(), "3");
}

TEST_F(CliListShowTest, UsageErrorsAndUnknownJobs)
{
    struct Case
    {
        QStringList args;
        int code;
        const char* errPart;
    } cases[] = {
        {{"show", "Nope"}, 64, "no job named \"Nope\""},
        {{"show"}, 64, "a job name is required"},
        {{"list", "--bogus"}, 64, "unexpected argument"},
        {{"frobnicate"}, 64, "unknown command"},
        {{}, 64, ""},
        {{"--help"}, 0, ""},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.errPart)) << run.err.toStdString();
    }
}

TEST_F(CliListShowTest, ADamagedJobFileIsReportedAndTheOthersStillList)
{
    TestEnvironment::writeFile(LocalJobFilePath("System"), "\x01\x02");
    const CliRun run = RunCli({"list"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.contains("Documents"));
    EXPECT_FALSE(run.out.contains("System"));
    EXPECT_TRUE(run.err.contains("Code: 1")) << run.err.toStdString();
}

TEST_F(CliListShowTest, TheProgramReadsTheSameDataFolder)
{
    QProcess cli;
    cli.start(ZORVAN_BIN_DIR "/zorvanbackup-cli", {"list", "--json"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["name"].toString(), "Documents");
}

} // namespace
