#include "jobs/JobCatalogue.h"
#include "app/core/AppStartup.h"
#include "base/AppState.h"
#include "events/EventsLog.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
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

TEST_F(JobCatalogueTest, DotNamesAndControlCharactersAreRefusedWithTheirOwnMessage)
{
    const QString symbols = "The following symbols are not allowed in the title:\r\n\r\n<>:\"/\\|?*";
    const QString ours = "A job cannot be named \".\" or \"..\", and its name cannot contain control "
                         "characters such as line breaks or tabs.";
    const struct
    {
        QString name;
        TJobNameProblem problem;
        QString message;
    } cases[] = {
        {".", jnDotsOrControl, ours},
        {"..", jnDotsOrControl, ours},
        {"a\nb", jnDotsOrControl, ours},
        {"tab\t", jnDotsOrControl, ours},
        {QString(QChar(0)), jnDotsOrControl, ours},
        {"\x1f", jnDotsOrControl, ours},
        {"del\x7f", jnDotsOrControl, ours},
        {"../x", jnSymbols, symbols},
        {"a:b", jnSymbols, symbols},
        {" .", jnOuterBlanks, QString()},
        {"", jnEmpty, QString()},
        {"Backup.2024", jnNone, QString()},
        {"a..b", jnNone, QString()},
        {"...", jnNone, QString()},
        {".hidden", jnNone, QString()},
        {"Фото 2024", jnNone, QString()},
        {QString::fromUtf8("\xc2\x85next"), jnNone, QString()}, // only C0 controls and DEL are refused
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JobNameProblem(c.name), c.problem) << c.name.toStdString();
        EXPECT_EQ(JobNameRefusalMessage(c.problem), c.message) << c.name.toStdString();
        EXPECT_EQ(IsValidJobName(c.name), c.problem == jnNone) << c.name.toStdString();
        // No path is ever built from a name that is refused; a good one makes one child of the folder.
        const QString path = JobNamedPath("/data/", c.name, ".obd");
        EXPECT_EQ(path, c.problem == jnNone ? "/data/" + c.name + ".obd" : QString()) << c.name.toStdString();
    }
    EXPECT_EQ(JobNamedPath("/data", "Docs"), "/data/Docs");
    EXPECT_EQ(JobNamedPath("//nas/share/backups", "Docs", ".kxj"), "//nas/share/backups/Docs.kxj");
    EXPECT_EQ(JobNamedPath("", "Docs"), QString()) << "never a path relative to the working folder";
    EXPECT_EQ(JobNamedPath("/data", "Docs", "/../x"), QString());
    EXPECT_EQ(LocalJobFilePath(".."), QString());
}

TEST_F(JobCatalogueTest, TypedNamesAreCheckedForNewAndRenamedJobs)
{
    TJobCatalogue catalogue;
    catalogue.append(std::make_unique<TJob_FilesAndFolders>("Docs"));
    TJob* docs = catalogue.at(0);
    const QString symbols = "The following symbols are not allowed in the title:\r\n\r\n<>:\"/\\|?*";
    const QString ours = "A job cannot be named \".\" or \"..\", and its name cannot contain control "
                         "characters such as line breaks or tabs.";
    const struct
    {
        QString typed;
        const TJob* renamed;
        TJobNameCheck::TOutcome outcome;
        QString name;
        QString message;
    } cases[] = {
        {"  Photos ", nullptr, TJobNameCheck::ncAccepted, "Photos", QString()},
        {"Backup.2024", nullptr, TJobNameCheck::ncAccepted, "Backup.2024", QString()},
        {"a..b", docs, TJobNameCheck::ncAccepted, "a..b", QString()},
        {"Фото", docs, TJobNameCheck::ncAccepted, "Фото", QString()},
        {"   ", nullptr, TJobNameCheck::ncNothingToDo, QString(), QString()},
        {"a|b", nullptr, TJobNameCheck::ncRefused, "a|b", symbols},
        {" .. ", nullptr, TJobNameCheck::ncRefused, "..", ours},
        {".", docs, TJobNameCheck::ncRefused, ".", ours},
        {"two\nlines", nullptr, TJobNameCheck::ncRefused, "two\nlines", ours},
        {"docs ", nullptr, TJobNameCheck::ncRefused, "docs",
         "Job \"docs \" already exists. Please specify another name."},
        // A rename to its own name does nothing; a change of letter case alone is refused.
        {"Docs ", docs, TJobNameCheck::ncNothingToDo, "Docs", QString()},
        {"DOCS", docs, TJobNameCheck::ncRefused, "DOCS",
         "Job \"DOCS\" already exists. Please specify another name."},
    };
    for (const auto& c : cases) {
        const TJobNameCheck check = CheckTypedJobName(catalogue, c.typed, c.renamed);
        EXPECT_EQ(check.Outcome, c.outcome) << c.typed.toStdString();
        EXPECT_EQ(check.Name, c.name) << c.typed.toStdString();
        EXPECT_EQ(check.ErrorMessage, c.message) << c.typed.toStdString();
    }
}

TEST_F(JobCatalogueTest, ListedNamesThatCannotNameAJobAreLeftOutWithAnEvent)
{
    // Each name has a job file of its own, as a damaged or hostile data folder could pair it with.
    const QStringList all = {"Backup.2024", "..", ".", "a..b", "a\tb", "x\x7f", "Фото"};
    QByteArray list("\xEF\xBB\xBF");
    for (const QString& name : all) {
        TJob_FilesAndFolders job(name);
        ASSERT_TRUE(job.SaveLocalJobFile(StandardFolders::applicationDataFolder() + '/' + name + ".obd"));
        list += name.toUtf8() + "\r\n";
    }
    writeJobsList(list);
    TJobCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadJobsListAndJobs());
    EXPECT_EQ(names(catalogue), QStringList({"Backup.2024", "a..b", "Фото"}));
    const QString events = EventsQueue().takeAll().join('\n');
    for (const char* shown : {"\"..\"", "\".\"", "\"a?b\"", "\"x?\""})
        EXPECT_TRUE(events.contains(
            QStringLiteral("The jobs list holds a name that cannot name a job; it is left out: ") + shown))
            << shown << "\n"
            << events.toStdString();
    // The jobs list written back holds only the jobs that loaded.
    ASSERT_TRUE(catalogue.SaveJobsList());
    EXPECT_EQ(TestEnvironment::readFile(JobsListFilePath()), "\xEF\xBB\xBF"
                                                             "Backup.2024\r\na..b\r\nФото\r\n");
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
