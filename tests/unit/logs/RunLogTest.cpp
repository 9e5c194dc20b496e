// Run log lines and files, the backup history, log retention and the job's temporary files.
#include "logs/RunLog.h"
#include "base/Clock.h"
#include "base/DateTime.h"
#include "events/EventsLog.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace TestEnvironment;

namespace {
class RunLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setTestTime(QDateTime(QDate(2024, 3, 9), QTime(14, 5, 31)));
        job.JobOptions.Logging.PathForLogFiles = makeFolder("logs");
        job.JobOptions.General.PathForTempFiles = makeFolder("tmpfiles");
        job.JobOptions.Logging.MaxNumberOfLinesInHistory = 500;
        job.JobOptions.Logging.MaxNumberOfLogsForEachJob = 20;
        EventsQueue().takeAll();
    }
    void TearDown() override { Clock::resetTestTime(); }

    // Three runs a minute apart, each saving its log.
    void runAndSave(int runs)
    {
        for (int i = 0; i < runs; ++i) {
            job.LastJobResult.Log.assign({QStringLiteral("run %1").arg(i)});
            SaveRunLogAndPrune(job, Clock::currentDateTime());
            Clock::advanceTestTime(60 * 1000);
        }
    }

    TJob_FilesAndFolders job{QStringLiteral("Docs job")};
};

TEST_F(RunLogTest, LinesCarryTheTimeAndTheErrorAndWarningWords)
{
    LogLine(job, "Connecting.");
    LogError(job, "It broke.");
    LogWarning(job, "Careful.");
    LogPlain(job, "-----------------------------");
    const QStringList log = job.LastJobResult.Log.snapshot();
    ASSERT_EQ(log.size(), 4);
    const QString time = QLocale::system().toString(QTime(14, 5, 31), LongTimeFormat());
    EXPECT_TRUE(time.contains("14") && time.contains("05") && time.contains("31")) << time.toStdString();
    EXPECT_EQ(log[0], time + ": Connecting.");
    EXPECT_EQ(log[1], time + ": ERROR: It broke.");
    EXPECT_EQ(log[2], time + ": WARNING: Careful.");
    EXPECT_EQ(log[3], "-----------------------------");
    EXPECT_EQ(job.LastJobResult.ErrorsCount, 1);
    EXPECT_EQ(job.LastJobResult.WarningsCount, 1);
    EXPECT_TRUE(HistoryLine("Started.").endsWith(time + ": Started."));
    EXPECT_GT(HistoryLine("Started.").size(), (time + ": Started.").size() + 6); // the date comes first

    // Lines within one second share its time; the next second, or an earlier one, shows its own.
    for (const auto& [step, shown] : {std::pair{999, QTime(14, 5, 31)}, std::pair{1, QTime(14, 5, 32)},
                                      std::pair{-61000, QTime(14, 4, 31)}}) {
        Clock::advanceTestTime(step);
        EXPECT_EQ(RunLogLine("x"), QLocale::system().toString(shown, LongTimeFormat()) + ": x");
    }
}

TEST_F(RunLogTest, HistoryAppendsExtendsAndPrunes)
{
    job.AddEventtoBackupHistory("Target: full copy.", true); // empty history: a new dated line
    ASSERT_EQ(job.BackupHistory.size(), 1);
    EXPECT_TRUE(job.BackupHistory.at(0).endsWith(": Target: full copy."));
    job.AddEventtoBackupHistory("Starting the backup.", false);
    job.AddEventtoBackupHistory("Target: incremental copy.", true);
    ASSERT_EQ(job.BackupHistory.size(), 2);
    EXPECT_TRUE(job.BackupHistory.at(1).endsWith(": Starting the backup. Target: incremental copy."));

    job.BackupHistory.clear();
    for (int i = 1; i <= 501; ++i)
        job.AddEventtoBackupHistory(QString::number(i), false);
    ASSERT_EQ(job.BackupHistory.size(), 500);
    EXPECT_TRUE(job.BackupHistory.at(0).endsWith(": 2"));
    EXPECT_TRUE(job.BackupHistory.last().endsWith(": 501"));

    job.JobOptions.Logging.MaxNumberOfLinesInHistory = 0;
    job.AddEventtoBackupHistory("gone", false);
    EXPECT_TRUE(job.BackupHistory.isEmpty());
}

TEST_F(RunLogTest, LogFileIsUtf8WithMarkAndCrLf)
{
    const QString path = makeFolder("logfile") + "/a.txt";
    TSharedStringList lines;
    lines.assign({"14:05:31: Grüße", "", "two\r\nlines"});
    ASSERT_TRUE(SaveRunLogFile(path, lines));
    EXPECT_EQ(readFile(path), QByteArray("\xEF\xBB\xBF"
                                         "14:05:31: Gr\xC3\xBC\xC3\x9F"
                                         "e\r\n\r\ntwo\r\nlines\r\n"));
    lines.clear();
    ASSERT_TRUE(SaveRunLogFile(path, lines));
    EXPECT_EQ(readFile(path), QByteArray("\xEF\xBB\xBF"));
}

TEST_F(RunLogTest, RetentionKeepsTheNewestLogsOldestFirst)
{
    ASSERT_TRUE(EnsureJobLogFolder(job, "Unable to create a folder for the log files:"));
    job.JobOptions.Logging.MaxNumberOfLogsForEachJob = 2;
    runAndSave(3);
    const QString folder = JobLogFolder(job);
    EXPECT_EQ(job.LogList.snapshot(), QStringList({"2024-03-09 14;06;31", "2024-03-09 14;07;31"}));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              QStringList({"2024-03-09 14;06;31.txt", "2024-03-09 14;07;31.txt"}));
    EXPECT_EQ(readFile(folder + "/2024-03-09 14;07;31.txt"), QByteArray("\xEF\xBB\xBFrun 2\r\n"));
}

TEST_F(RunLogTest, RetentionDropsVanishedEntriesAndDuplicates)
{
    ASSERT_TRUE(EnsureJobLogFolder(job, "Unable to create a folder for the log files:"));
    job.JobOptions.Logging.MaxNumberOfLogsForEachJob = 3;
    runAndSave(3);
    const QString folder = JobLogFolder(job);
    QFile::remove(folder + "/2024-03-09 14;06;31.txt"); // deleted by hand
    // Two runs in the same second share one file; the list holds the name twice.
    Clock::advanceTestTime(-60 * 1000);
    job.LastJobResult.Log.assign({"again"});
    SaveRunLogAndPrune(job, Clock::currentDateTime());
    EXPECT_EQ(job.LogList.snapshot(),
              QStringList({"2024-03-09 14;05;31", "2024-03-09 14;07;31", "2024-03-09 14;07;31"}));
    job.JobOptions.Logging.MaxNumberOfLogsForEachJob = 1;
    job.RemoveOldLogs();
    EXPECT_EQ(job.LogList.snapshot(), QStringList({"2024-03-09 14;07;31"}));
    // The second entry's file went with the first one: the next pruning drops the name too.
    job.RemoveOldLogs();
    EXPECT_TRUE(job.LogList.isEmpty());
    EXPECT_EQ(job.LastJobResult.ErrorsCount, 0);
}

TEST_F(RunLogTest, MissingLogFolderMeansNoLogFileAndAnEvent)
{
    const QString blocker = makeFolder("blocked") + "/file";
    writeFile(blocker, "x");
    job.JobOptions.Logging.PathForLogFiles = blocker; // a folder cannot be made below a file
    EXPECT_FALSE(EnsureJobLogFolder(job, "Unable to create a folder for the log files:"));
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(
        events[0].endsWith(": Unable to create a folder for the log files: " + blocker + "/Docs job"));
    runAndSave(1);
    EXPECT_TRUE(job.LogList.isEmpty());
}

TEST_F(RunLogTest, DeleteTempFilesRemovesTheFolderAndTheJobFileCopy)
{
    const QString temp = JobTempFolder(job);
    writeFile(temp + "/a.obl", "x");
    writeFile(temp + "/sub/locked/b.bin", "y");
    QFile::setPermissions(temp + "/sub/locked", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    writeFile(JobTempRemoteJobFile(job), "kxj");
    job.DeleteTempFiles();
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_FALSE(QFileInfo::exists(JobTempRemoteJobFile(job)));
    EXPECT_TRUE(QFileInfo::exists(job.JobOptions.General.PathForTempFiles));
    job.DeleteTempFiles(); // nothing there: nothing happens
}

TEST_F(RunLogTest, DeleteTempFilesNeverFollowsALinkedTemporaryFolder)
{
    const QString precious = makeFolder("precious");
    writeFile(precious + "/keep.txt", "keep");
    ASSERT_TRUE(QFile::link(precious, JobTempFolder(job)));
    job.DeleteTempFiles();
    EXPECT_FALSE(QFileInfo(JobTempFolder(job)).isSymLink());
    EXPECT_EQ(readFile(precious + "/keep.txt"), "keep");
}

TEST(JobPathsTest, JoinAndStamp)
{
    const struct
    {
        const char *first, *second, *joined;
    } cases[] = {
        {"/a", "b", "/a/b"},
        {"/a/", "b", "/a/b"},
        {"/a", "", "/a"},
        {"", "b", "b"},
        {"/a", "/abs", "/abs"},
        {"/a", "//srv/share", "//srv/share"},
        {"//srv/share/x", "Job", "//srv/share/x/Job"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinPath(c.first, c.second), QString(c.joined)) << c.first << " + " << c.second;
    EXPECT_EQ(FormatRunStamp(QDateTime(QDate(2024, 6, 30), QTime(21, 5, 0))), "2024-06-30 21;05;00");
}
} // namespace
