// zorvanbackup-cli create: the name, destination, user and password rules that both kinds of job share
// give the same answer for a files job and a drive image job.
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

using namespace TestEnvironment;

namespace {

class CliCreateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        EventsQueue().takeAll();
        source = makeFolder("source");
        passwordFile = makeFolder("password") + "/password.txt";
        writeFile(passwordFile, "s3cret\r\n");
    }
    // The command line of a job of each kind, with `extra` in the middle.
    QList<QStringList> bothKinds(const QString& name, const QStringList& extra) const
    {
        return {QStringList{"create", name, "--source", source} + extra,
                QStringList{"create", name, "--kind", "image", "--volume", "/dev/sdb1"} + extra};
    }
    // The job as a fresh start of the program reads it.
    static std::unique_ptr<TJob> stored(const QString& name)
    {
        TJobCatalogue jobs;
        jobs.LoadJobsListAndJobs();
        const int index = jobs.indexOfName(name);
        return index < 0 ? nullptr : jobs.takeAt(index);
    }

    QString source;
    QString passwordFile;
};

TEST_F(CliCreateTest, SharedUsageErrorsReadTheSameForBothKinds)
{
    ASSERT_EQ(RunCli({"create", "Taken", "--source", source, "--dest", "/media/usb"}).code, CliApp::kOk);
    const struct
    {
        const char* name;
        QStringList extra;
        const char* message;
    } cases[] = {
        {"Bad:Name", {"--dest", "/media/usb"}, "\"Bad:Name\" cannot name a job"},
        {".", {"--dest", "/media/usb"}, "\".\" cannot name a job"},
        {"..", {"--dest", "/media/usb"}, "\"..\" cannot name a job"},
        {"two\nlines", {"--dest", "/media/usb"}, "\"two?lines\" cannot name a job"},
        {"bell\a", {"--dest", "/media/usb"}, "\"bell?\" cannot name a job"},
        {"taken", {"--dest", "/media/usb"}, "a job named \"taken\" exists already"},
        {"Twice", {"--dest", "/media/a", "--dest", "/media/b"}, "unexpected argument: --dest"},
        {"Local",
         {"--dest", "/media/usb", "--user", "ann", "--password-file", passwordFile},
         "--user applies to network destinations only"},
        {"NoUser",
         {"--dest", "//nas/share", "--password-file", passwordFile},
         "--password-file goes with --user"},
        {"NoFile", {"--dest", "//nas/share", "--user", "ann"}, "--user needs --password-file"},
        {"Unreadable",
         {"--dest", "//nas/share", "--user", "ann", "--password-file", source + "/none"},
         "cannot read the password file"},
        {"Kind", {"--dest", "/media/usb", "--kind", "tape"}, "--kind is files or image"},
        {"Odd", {"--dest", "/media/usb", "--schedule"}, "unexpected argument: --schedule"},
    };
    for (const auto& c : cases) {
        for (const QStringList& args : bothKinds(c.name, c.extra)) {
            const CliRun run = RunCli(args);
            EXPECT_EQ(run.code, CliApp::kUsage) << args.join(' ').toStdString();
            EXPECT_TRUE(run.err.contains(QStringLiteral("zorvanbackup-cli: create: ") + c.message))
                << args.join(' ').toStdString() << "\n"
                << run.err.toStdString();
        }
        EXPECT_EQ(stored(c.name) == nullptr, QString(c.name) != "taken") << c.name;
    }
    // What each kind requires is named in its own words.
    EXPECT_TRUE(RunCli({"create", "X", "--dest", "/media/usb"}).err.contains("at least one --source"));
    EXPECT_TRUE(RunCli({"create", "X", "--kind", "image", "--dest", "/media/usb"}).err.contains("--volume"));
}

TEST_F(CliCreateTest, NamesWithDotsAndOtherScriptsAreCreated)
{
    for (const QString name : {"Backup.2024", "a..b", "Фото", "..."}) {
        for (const QStringList& args : bothKinds(name, {"--dest", "/media/usb"})) {
            const CliRun run = RunCli(args);
            ASSERT_EQ(run.code, CliApp::kOk) << args.join(' ').toStdString() << run.err.toStdString();
            EXPECT_NE(stored(name), nullptr) << name.toStdString();
            ASSERT_EQ(RunCli({"remove", name}).code, CliApp::kOk);
        }
    }
}

TEST_F(CliCreateTest, BothKindsStoreTheDestinationAndCredentialsAlike)
{
    for (const QStringList& args : bothKinds(
             "Share", {"--dest", "\\\\nas\\backups\\pc", "--user", "ann", "--password-file", passwordFile})) {
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
        const std::unique_ptr<TJob> job = stored("Share");
        ASSERT_TRUE(job);
        EXPECT_EQ(job->DestinationType, dtNetwork);
        EXPECT_EQ(job->DestinationPath, "//nas/backups/pc");
        EXPECT_EQ(job->Destination_NetworkUsername, "ann");
        EXPECT_EQ(job->Destination_NetworkPassword, "s3cret");
        ASSERT_EQ(RunCli({"remove", "Share"}).code, CliApp::kOk);
    }

    const QString workingFolder = QDir::currentPath();
    QDir::setCurrent(source);
    const CliRun files = RunCli({"create", "Docs", "--kind", "files", "--source", ".", "--dest", "../usb/"});
    ASSERT_EQ(files.code, CliApp::kOk) << files.err.toStdString();
    EXPECT_EQ(files.out, "Job \"Docs\" is created.\n");
    const CliRun image =
        RunCli({"create", "Disk", "--volume", "disk.img", "--kind", "image", "--dest", "usb"});
    ASSERT_EQ(image.code, CliApp::kOk) << image.err.toStdString();
    EXPECT_EQ(image.out, "Drive image job \"Disk\" is created.\n");
    QDir::setCurrent(workingFolder);
    const QString parent = QDir::cleanPath(source + "/..");
    EXPECT_EQ(stored("Docs")->DestinationPath, parent + "/usb");
    EXPECT_EQ(stored("Disk")->DestinationType, dtExternalDevice);
    EXPECT_EQ(stored("Disk")->DestinationPath, source + "/usb");
    EXPECT_TRUE(dynamic_cast<TJob_FilesAndFolders*>(stored("Docs").get()));
    EXPECT_TRUE(dynamic_cast<TJob_DriveImage*>(stored("Disk").get()));
}

} // namespace
