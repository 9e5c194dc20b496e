#include "jobs/JobCatalogue.h"
#include "app/core/AppStartup.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "logs/EventsLog.h"
#include "options/AppState.h"
#include "platform/StandardFolders.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

class JobCatalogueTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        EventsQueue().takeAll();
    }

    static void saveFilesJob(const QString& name, const QString& destination)
    {
        TJob_FilesAndFolders job(name);
        job.DestinationPath = destination;
        ASSERT_TRUE(job.SaveLocalJobFile(LocalJobFilePath(name)));
    }

    static void saveImageJob(const QString& name)
    {
        TJob_DriveImage job(name);
        job.Settings.SourceDrivesList = {"/"};
        ASSERT_TRUE(job.SaveLocalJobFile(LocalJobFilePath(name)));
    }

    static void writeJobsList(const QByteArray& content)
    {
        TestEnvironment::writeFile(JobsListFilePath(), content);
    }

    static QStringList names(const TJobCatalogue& catalogue)
    {
        QStringList result;
        for (int i = 0; i < catalogue.count(); ++i)
            result.append(catalogue.at(i)->stJobName);
        return result;
    }
};

TEST_F(JobCatalogueTest, LoadsKindsInOrderAndSkipsJobsWithoutAFile)
{
    saveFilesJob("Documents", "/mnt/usb");
    saveImageJob("System");
    saveFilesJob("Photos", "/mnt/nas");
    writeJobsList("\xEF\xBB\xBF"
                  "Documents\r\nSystem\r\nMissing\r\nPhotos\r\n");

    TJobCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadJobsListAndJobs());
    EXPECT_EQ(names(catalogue), (QStringList{"Documents", "System", "Photos"}));
    EXPECT_NE(dynamic_cast<TJob_FilesAndFolders*>(catalogue.at(0)), nullptr);
    EXPECT_NE(dynamic_cast<TJob_DriveImage*>(catalogue.at(1)), nullptr);
    EXPECT_EQ(catalogue.at(2)->DestinationPath, "/mnt/nas");
    EXPECT_TRUE(EventsQueue().takeAll().isEmpty()); // a missing job file is dropped silently

    // The dropped job disappears from the file at the next save.
    ASSERT_TRUE(catalogue.SaveJobsList());
    EXPECT_EQ(TestEnvironment::readFile(JobsListFilePath()), "\xEF\xBB\xBF"
                                                             "Documents\r\nSystem\r\nPhotos\r\n");
}

TEST_F(JobCatalogueTest, ListFileVariants)
{
    saveFilesJob("A", "/x");
    saveFilesJob("B", "/y");
    struct Case
    {
        const char* label;
        QByteArray content;
        bool exists;
        QStringList expected;
    } cases[] = {
        {"missing list", "", false, {}},
        {"empty list", "", true, {}},
        {"bom only", "\xEF\xBB\xBF", true, {}},
        {"no bom, LF only, no final newline", "A\nB", true, {"A", "B"}},
        {"blank and invalid lines are skipped", "\xEF\xBB\xBF\r\nA\r\n../A\r\n a\r\nB\r\n", true, {"A", "B"}},
        {"a name listed twice loads once", "A\r\na\r\nB\r\n", true, {"A", "B"}},
        {"garbage bytes", QByteArray("\xff\xfe\x00\x01garbage\r\n", 13), true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QFile::remove(JobsListFilePath());
        if (c.exists)
            writeJobsList(c.content);
        TJobCatalogue catalogue;
        EXPECT_EQ(catalogue.LoadJobsListAndJobs(), c.exists);
        EXPECT_EQ(names(catalogue), c.expected);
    }
}

TEST_F(JobCatalogueTest, MovingChangesOnlyTheOrderAndIsSaved)
{
    TJobCatalogue catalogue;
    for (const char* name : {"One", "Two", "Three"})
        catalogue.append(std::make_unique<TJob_FilesAndFolders>(name));
    catalogue.at(2)->JobStatus = jsRunning; // moving a running job is allowed

    EXPECT_FALSE(catalogue.MoveUp(0));
    EXPECT_FALSE(catalogue.MoveDown(2));
    EXPECT_FALSE(catalogue.MoveUp(-1));
    EXPECT_FALSE(catalogue.MoveDown(7));
    EXPECT_EQ(names(catalogue), (QStringList{"One", "Two", "Three"}));
    EXPECT_FALSE(QFile::exists(JobsListFilePath()));

    EXPECT_TRUE(catalogue.MoveUp(2));
    EXPECT_EQ(names(catalogue), (QStringList{"One", "Three", "Two"}));
    EXPECT_EQ(catalogue.at(1)->JobStatus.load(), jsRunning);
    EXPECT_EQ(TestEnvironment::readFile(JobsListFilePath()), "\xEF\xBB\xBF"
                                                             "One\r\nThree\r\nTwo\r\n");
    EXPECT_TRUE(catalogue.MoveDown(0));
    EXPECT_EQ(names(catalogue), (QStringList{"Three", "One", "Two"}));
}

TEST_F(JobCatalogueTest, RunningStatusesAndNameRules)
{
    TJobCatalogue catalogue;
    catalogue.append(std::make_unique<TJob_FilesAndFolders>("Straße"));
    catalogue.append(std::make_unique<TJob_DriveImage>("Image"));
    for (TJobStatus status : {jsNone, jsWaiting, jsRunning, jsCancelling, jsPaused}) {
        catalogue.at(1)->JobStatus = status;
        const bool running = status == jsRunning || status == jsCancelling || status == jsPaused;
        EXPECT_EQ(catalogue.IsSomeJobRunning(), running) << status;
    }

    EXPECT_EQ(catalogue.indexOfName("IMAGE"), 1);
    EXPECT_EQ(catalogue.indexOfName("straße"), 0);
    EXPECT_EQ(catalogue.indexOfName("STRASSE"), -1); // only ASCII letters fold
    EXPECT_FALSE(SameJobName("Ä", "ä"));
    EXPECT_TRUE(SameJobName("Docs", "dOCS"));

    for (const char* bad :
         {"", " lead", "trail ", "a<b", "a>b", "a:b", "a\"b", "a/b", "a\\b", "a|b", "a?b", "a*b"})
        EXPECT_FALSE(IsValidJobName(bad)) << bad;
    for (const char* good : {"Docs", "My job 2", "Фото", "a.b-c_d"})
        EXPECT_TRUE(IsValidJobName(good)) << good;
}

TEST_F(JobCatalogueTest, StartupCreatesFoldersLoadsOptionsAndJobs)
{
    QDir(StandardFolders::applicationDataFolder()).removeRecursively();
    GlobalOptions = TOptions();
    TJobCatalogue empty;
    TStartupResult first = PrepareApplication(empty);
    EXPECT_FALSE(first.MustTerminate);
    EXPECT_TRUE(first.ErrorMessages.isEmpty());
    EXPECT_FALSE(first.JobsLoaded); // no jobs list yet: empty catalogue, no message
    const QStringList events = EventsQueue().takeAll();
    const QString all = events.join('\n');
    EXPECT_TRUE(
        all.contains("Application directory is created: " + StandardFolders::applicationDataFolder()));
    EXPECT_TRUE(all.contains("Temporary directory is created: " + GlobalOptions.General.PathForTempFiles));
    EXPECT_TRUE(all.contains("Log directory is created: " + GlobalOptions.Logging.PathForLogFiles));
    EXPECT_FALSE(all.contains("Backup jobs are loaded."));
    EXPECT_TRUE(QDir(GlobalOptions.General.PathForTempFiles).exists());

    saveFilesJob("Docs", "/d");
    writeJobsList("\xEF\xBB\xBF"
                  "Docs\r\n");
    TJobCatalogue catalogue;
    TStartupResult second = PrepareApplication(catalogue);
    EXPECT_TRUE(second.JobsLoaded);
    EXPECT_EQ(catalogue.count(), 1);
    const QStringList secondEvents = EventsQueue().takeAll();
    ASSERT_EQ(secondEvents.size(), 1);
    EXPECT_TRUE(secondEvents[0].endsWith(": Backup jobs are loaded."));
    GlobalOptions = TOptions();
}

TEST_F(JobCatalogueTest, StartupStopsWhenTheDataFolderCannotBeCreatedAndGoesOnForTheLogFolder)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString blocker = TestEnvironment::makeFolder("data") + "/file";
    TestEnvironment::writeFile(blocker, "x");
    qputenv("XDG_DATA_HOME", blocker.toUtf8());
    TJobCatalogue catalogue;
    TStartupResult result = PrepareApplication(catalogue);
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_TRUE(result.MustTerminate);
    EXPECT_TRUE(AppTerminating.load());
    AppTerminating = false;
    ASSERT_EQ(result.ErrorMessages.size(), 1);
    const QString path = blocker + "/Zorvan Backup";
    EXPECT_EQ(result.ErrorMessages[0],
              "ERROR: Unable to create application directory:" + path +
                  "\n\nPlease make sure the directory is accessible, and restart the program.");
    EXPECT_TRUE(EventsQueue().takeAll().join('\n').contains(
        "ERROR: Unable to create application directory: " + path));

    // A log folder that cannot be created is reported and the start goes on.
    GlobalOptions = TOptions();
    SetDefaultOptions(false);
    GlobalOptions.Logging.PathForLogFiles = blocker + "/logs";
    ASSERT_TRUE(SaveOptions());
    TJobCatalogue again;
    result = PrepareApplication(again);
    EXPECT_FALSE(result.MustTerminate);
    ASSERT_EQ(result.ErrorMessages.size(), 1);
    EXPECT_TRUE(
        result.ErrorMessages[0].startsWith("ERROR: Unable to create log directory:" + blocker + "/logs"));
    QFile::remove(OptionsFilePath());
    GlobalOptions = TOptions();
}

} // namespace
