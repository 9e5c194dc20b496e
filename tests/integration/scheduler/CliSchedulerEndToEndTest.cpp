// `zorvanbackup-cli scheduler` as a user runs it: a real files-and-folders job due a few seconds ahead
// starts once, finishes, is not started again for the same time (not even by a new scheduler process,
// with missed starts allowed), and a second scheduler of the same user is refused.
#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/StandardFolders.h"
#include "scheduler/Timetable.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <set>

namespace {

const QString kCli = QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli");

// A running scheduler process and everything it has printed so far.
class TSchedulerProcess
{
public:
    TSchedulerProcess()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Keep the test away from the machine's own logind, if it has one.
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zorvan-test-bus");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(kCli, {"scheduler"});
    }
    ~TSchedulerProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    // Reads output until it contains `text` (`times` times) or the time is up.
    bool waitFor(const QString& text, int msecs, qsizetype times = 1)
    {
        QDeadlineTimer deadline(msecs);
        while (output.count(text) < times) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
            output += QString::fromUtf8(process.readAll());
        }
        return true;
    }
    // Keeps reading output for `msecs`.
    void readFor(int msecs) { waitFor(QStringLiteral("\x01never printed\x01"), msecs); }
    // SIGTERM, then the exit code (-1 when it did not end in time).
    int stop()
    {
        process.terminate();
        if (!process.waitForFinished(10000))
            return -1;
        output += QString::fromUtf8(process.readAll());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QProcess process;
    QString output;
};

QString findFile(const QString& root, const QString& name)
{
    QDirIterator it(root, {name}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext() ? it.next() : QString();
}

TEST(CliSchedulerEndToEndTest, DueJobRunsOnceAndIsNotStartedAgainForTheSameTime)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the program's D-Bus thread lives in Qt code that ThreadSanitizer cannot see into";
#endif
    QDir(StandardFolders::applicationDataFolder()).removeRecursively();
    QDir().mkpath(StandardFolders::applicationDataFolder());
    const QString source = TestEnvironment::makeFolder("source");
    const QString destination = TestEnvironment::makeFolder("destination");
    TestEnvironment::writeFile(source + "/report.txt", "quarterly figures\n");
    TestEnvironment::writeFile(source + "/photos/beach.jpg", QByteArray(200000, 'x'));

    // Due a few seconds from now (the scheduler's first tick comes a second after its start).
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime due = now.addSecs(4);
    {
        TJobCatalogue catalogue;
        auto job = std::make_unique<TJob_FilesAndFolders>("Nightly");
        job->Settings.Sources.List = {source + "/*"};
        job->Settings.Backup.BackupType = btSync;
        job->DestinationPath = destination;
        job->SchedulingSettings.SchedulingType = stDaysOfWeek;
        job->SchedulingSettings.DaysOfWeek.fill(true);
        job->SchedulingSettings.TimeTable = {FormatTimetableTime(due.time())};
        job->SchedulingSettings.LastModificationDateTime = DateTimeFromQDateTime(now.addSecs(-60));
        job->SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = true;
        ASSERT_TRUE(job->SaveLocalJobFile(LocalJobFilePath("Nightly")));
        catalogue.append(std::move(job));
        ASSERT_TRUE(catalogue.SaveJobsList());
    }

    TSchedulerProcess scheduler;
    ASSERT_TRUE(scheduler.waitFor("Scheduling 1 backup job(s).", 10000)) << qPrintable(scheduler.output);
    ASSERT_TRUE(scheduler.waitFor("Starting the \"Nightly\" backup.", 15000)) << qPrintable(scheduler.output);
    EXPECT_GE(QDateTime::currentDateTime(), due.addMSecs(-1000)) << "not before its time";
    ASSERT_TRUE(scheduler.waitFor("Backup job \"Nightly\" is finished.", 30000))
        << qPrintable(scheduler.output);

    // A second scheduler of the same user is refused while this one runs.
    QProcess second;
    second.start(kCli, {"scheduler"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 75);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError()).contains("already schedules"));

    // Several more ticks: the same start is not made again.
    scheduler.readFor(3000);
    EXPECT_EQ(scheduler.output.count("Starting the \"Nightly\" backup."), 1) << qPrintable(scheduler.output);
    EXPECT_EQ(scheduler.stop(), 0) << qPrintable(scheduler.output);
    EXPECT_TRUE(scheduler.output.endsWith("Stopped.\n")) << qPrintable(scheduler.output);

    const QString copied = findFile(destination, "report.txt");
    ASSERT_FALSE(copied.isEmpty());
    EXPECT_EQ(TestEnvironment::readFile(copied), "quarterly figures\n");
    EXPECT_EQ(TestEnvironment::readFile(findFile(destination, "beach.jpg")).size(), 200000);

    // A new scheduler reads the job file the run saved: its start time covers the due time, so even
    // with missed starts allowed nothing runs again.
    TSchedulerProcess restarted;
    ASSERT_TRUE(restarted.waitFor("Scheduling 1 backup job(s).", 10000)) << qPrintable(restarted.output);
    restarted.readFor(2500);
    EXPECT_EQ(restarted.stop(), 0);
    EXPECT_FALSE(restarted.output.contains("Starting the")) << qPrintable(restarted.output);
}

// The week days (as --days-of-week takes them) of every given moment: near midnight the start times
// fall on the next day too.
QString weekDaysOf(std::initializer_list<QDateTime> moments)
{
    static const char* const kNames[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    std::set<int> days;
    for (const QDateTime& moment : moments)
        days.insert(moment.date().dayOfWeek());
    QStringList names;
    for (const int day : days)
        names.append(kNames[day - 1]);
    return names.join(',');
}

TEST(CliSchedulerEndToEndTest, ScheduleGivenOnTheCommandLineRunsAndAnEditWhileSchedulingStopsIt)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the program's D-Bus thread lives in Qt code that ThreadSanitizer cannot see into";
#endif
    QDir(StandardFolders::applicationDataFolder()).removeRecursively();
    QDir().mkpath(StandardFolders::applicationDataFolder());
    const QString source = TestEnvironment::makeFolder("scheduled-source");
    const QString destination = TestEnvironment::makeFolder("scheduled-destination");
    TestEnvironment::writeFile(source + "/report.txt", "quarterly figures\n");

    // A start a few seconds ahead, and a later one that the edit has to cancel.
    const QDateTime first = QDateTime::currentDateTime().addSecs(5);
    const QDateTime later = first.addSecs(40);
    const CliRun created =
        RunCli({"create", "Nightly", "--source", source, "--dest", destination, "--type", "mirror",
                "--days-of-week", weekDaysOf({first, later}), "--at", FormatTimetableTime(first.time()),
                "--at", FormatTimetableTime(later.time())});
    ASSERT_EQ(created.code, CliApp::kOk) << qPrintable(created.err);

    TSchedulerProcess scheduler;
    ASSERT_TRUE(scheduler.waitFor("Scheduling 1 backup job(s).", 10000)) << qPrintable(scheduler.output);
    ASSERT_TRUE(scheduler.waitFor("Starting the \"Nightly\" backup.", 30000)) << qPrintable(scheduler.output);
    EXPECT_GE(QDateTime::currentDateTime(), first.addMSecs(-1000)) << "not before its time";
    ASSERT_TRUE(scheduler.waitFor("Backup job \"Nightly\" is finished.", 30000))
        << qPrintable(scheduler.output);
    EXPECT_EQ(TestEnvironment::readFile(findFile(destination, "report.txt")), "quarterly figures\n");

    const CliRun unscheduled = RunCli({"edit", "Nightly", "--no-schedule"});
    ASSERT_EQ(unscheduled.code, CliApp::kOk) << qPrintable(unscheduled.err);
    ASSERT_LT(QDateTime::currentDateTime(), later.addSecs(-2))
        << "the first run took so long that the later start came before the edit";
    // Past the later start, with missed starts allowed: no second run.
    scheduler.readFor(int(QDateTime::currentDateTime().msecsTo(later)) + 6000);
    EXPECT_EQ(scheduler.output.count("Starting the \"Nightly\" backup."), 1) << qPrintable(scheduler.output);

    // Scheduled again for a few seconds ahead: the running scheduler takes that in as well.
    const QDateTime again = QDateTime::currentDateTime().addSecs(4);
    const CliRun rescheduled = RunCli({"edit", "Nightly", "--days-of-week", weekDaysOf({again}), "--at",
                                       FormatTimetableTime(again.time())});
    ASSERT_EQ(rescheduled.code, CliApp::kOk) << qPrintable(rescheduled.err);
    ASSERT_TRUE(scheduler.waitFor("Backup job \"Nightly\" is finished.", 40000, 2))
        << qPrintable(scheduler.output);
    EXPECT_EQ(scheduler.output.count("Starting the \"Nightly\" backup."), 2) << qPrintable(scheduler.output);
    EXPECT_EQ(scheduler.stop(), 0) << qPrintable(scheduler.output);
}

TEST(CliSchedulerEndToEndTest, StopsCleanlyOnInterruptWithNothingToDo)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the program's D-Bus thread lives in Qt code that ThreadSanitizer cannot see into";
#endif
    QDir(StandardFolders::applicationDataFolder()).removeRecursively();
    TSchedulerProcess scheduler;
    ASSERT_TRUE(scheduler.waitFor("Scheduling 0 backup job(s).", 10000)) << qPrintable(scheduler.output);
    ::kill(pid_t(scheduler.process.processId()), SIGINT);
    ASSERT_TRUE(scheduler.process.waitForFinished(10000));
    scheduler.output += QString::fromUtf8(scheduler.process.readAll());
    EXPECT_EQ(scheduler.process.exitCode(), 0);
    EXPECT_TRUE(scheduler.output.endsWith("Stopped.\n")) << qPrintable(scheduler.output);
}

} // namespace
