// zorvanbackup-cli rename: the name rules of a new job, and a rename that takes the job's backup folder,
// the job file beside it, its logs and its local job file along.
#include "cli/CliApp.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "options/uOptions.h"
#include "platform/StandardFolders.h"
#include "storage/DestinationIdentity.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace TestEnvironment;

namespace {

class CliRenameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        EventsQueue().takeAll();
        root = makeFolder("rename");
        writeFile(root + "/src/Docs/a.txt", "alpha");
        QDir().mkpath(root + "/dest");
    }
    static QStringList storedNames()
    {
        TJobCatalogue jobs;
        jobs.LoadJobsListAndJobs();
        QStringList names;
        for (int i = 0; i < jobs.count(); ++i)
            names.append(jobs.at(i)->stJobName);
        return names;
    }
    QString root;
};

TEST_F(CliRenameTest, TheBackupFolderItsJobFileAndLogsFollowTheName)
{
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest", "--type",
                      "mirror"})
                  .code,
              0);
    ASSERT_EQ(RunCli({"backup", "Docs"}).code, 0);
    const QString logs = GlobalOptions.Logging.PathForLogFiles;
    ASSERT_TRUE(QFileInfo(logs + "/Docs").isDir());
    ASSERT_EQ(QSettings(DestinationIdentityFilePath(), QSettings::IniFormat).value("docs/Destination"),
              root + "/dest");

    const CliRun run = RunCli({"rename", "docs", " Docs 2024.06 "});
    ASSERT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Job \"Docs\" is renamed to \"Docs 2024.06\".")) << run.out.toStdString();
    EXPECT_EQ(QDir(root + "/dest").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"Docs 2024.06", "Docs 2024.06.kxj"}));
    EXPECT_EQ(readFile(root + "/dest/Docs 2024.06/Docs/a.txt"), "alpha");
    EXPECT_TRUE(QFileInfo(logs + "/Docs 2024.06").isDir());
    EXPECT_FALSE(QFileInfo::exists(logs + "/Docs"));
    EXPECT_FALSE(QFileInfo::exists(LocalJobFilePath("Docs")));
    EXPECT_EQ(storedNames(), QStringList({"Docs 2024.06"}));
    // The drive remembered for the destination stays the job's.
    const QSettings remembered(DestinationIdentityFilePath(), QSettings::IniFormat);
    EXPECT_EQ(remembered.value("docs 2024.06/Destination"), root + "/dest");
    EXPECT_FALSE(remembered.contains("docs/Destination"));

    // The renamed job goes on from its earlier backup.
    writeFile(root + "/src/Docs/b.txt", "beta");
    const CliRun backup = RunCli({"backup", "Docs 2024.06"});
    EXPECT_EQ(backup.code, CliApp::kOk) << backup.err.toStdString();
    EXPECT_EQ(readFile(root + "/dest/Docs 2024.06/Docs/b.txt"), "beta");
}

TEST_F(CliRenameTest, NewNamesFollowTheNameRules)
{
    ASSERT_EQ(RunCli({"create", "Docs", "--source", root + "/src/Docs", "--dest", root + "/dest"}).code, 0);
    ASSERT_EQ(RunCli({"backup", "Docs"}).code, 0);
    ASSERT_EQ(RunCli({"create", "Other", "--source", root + "/src/Docs", "--dest", root + "/dest"}).code, 0);
    const QStringList destination = QDir(root + "/dest").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QString ours = "A job cannot be named \".\" or \"..\", and its name cannot contain control "
                         "characters such as line breaks or tabs.";
    const struct
    {
        QString newName;
        int code;
        QString error;
    } refused[] = {
        {"..", CliApp::kUsage, ours},
        {".", CliApp::kUsage, ours},
        {"tab\there", CliApp::kUsage, ours},
        {"a:b", CliApp::kUsage, "The following symbols are not allowed in the title:\r\n\r\n<>:\"/\\|?*"},
        {"OTHER", CliApp::kUsage, "Job \"OTHER\" already exists. Please specify another name."},
        {"DOCS", CliApp::kUsage, "Job \"DOCS\" already exists. Please specify another name."},
        {"  ", CliApp::kUsage, "rename: the new name is empty"},
        {"Docs ", CliApp::kOk, QString()},
    };
    for (const auto& c : refused) {
        const CliRun run = RunCli({"rename", "Docs", c.newName});
        EXPECT_EQ(run.code, c.code) << c.newName.toStdString();
        EXPECT_TRUE(run.err.contains(c.error)) << c.newName.toStdString() << "\n" << run.err.toStdString();
    }
    EXPECT_EQ(storedNames(), QStringList({"Docs", "Other"}));
    EXPECT_EQ(QDir(root + "/dest").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), destination);

    // A job that has never finished a run changes only its local job file.
    QString current = "Other";
    for (const QString next : {"Backup.2024", "a..b", "Фото", "..."}) {
        const CliRun run = RunCli({"rename", current, next});
        ASSERT_EQ(run.code, CliApp::kOk) << next.toStdString() << run.err.toStdString();
        EXPECT_TRUE(QFileInfo::exists(LocalJobFilePath(next))) << next.toStdString();
        EXPECT_FALSE(QFileInfo::exists(LocalJobFilePath(current))) << current.toStdString();
        current = next;
    }
    EXPECT_EQ(storedNames(), QStringList({"Docs", "..."}));
    EXPECT_EQ(QDir(root + "/dest").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), destination);
}

} // namespace
