#include "platform/ElevationCommand.h"
#include "platform/InstanceLock.h"
#include "platform/PowerControlLogind.h"
#include "platform/SleepInhibitorDBus.h"
#include "platform/StandardFolders.h"
#include "platform/StopSignals.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>

namespace {

// Qt's D-Bus connection thread lives in uninstrumented Qt and glib code whose locks ThreadSanitizer
// cannot see; it reports their own handover as races.
#if defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_THREAD_SANITIZER() GTEST_SKIP() << "Qt D-Bus internals are not instrumented"
#else
#define SKIP_UNDER_THREAD_SANITIZER() (void)0
#endif

// A bus address where nothing listens: the system bus of a machine without D-Bus.
const QString kNoBus = QStringLiteral("unix:path=/nonexistent/zorvan-test-bus");

QString writeScript(const QString& folder, const QString& name, const QByteArray& body)
{
    const QString path = folder + '/' + name;
    TestEnvironment::writeFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Processes events until `done` holds or the time is up.
template <class Predicate> bool processEventsUntil(Predicate done, int msecs = 2000)
{
    QDeadlineTimer deadline(msecs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool waitForFile(const QString& path, int msecs = 5000)
{
    QDeadlineTimer deadline(msecs);
    while (!QFileInfo::exists(path) || QFileInfo(path).size() == 0) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    QThread::msleep(50);
    return true;
}

class ElevationCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnvironment::makeFolder("elevation");
        // The elevated "program": records its arguments and environment, then runs for a moment.
        program = writeScript(folder, "zorvan-program",
                              "printf '%s\\n' \"$@\" > \"$0.args\"\nenv > \"$0.env\"\nsleep 1\n");
    }
    void TearDown() override { qunsetenv("ZORVAN_ELEVATE_COMMAND"); }

    QString folder;
    QString program;
};

TEST_F(ElevationCommandTest, StartsTheProgramThroughTheReplacementCommand)
{
    const QString command =
        writeScript(folder, "grant", "printf '%s\\n' \"$@\" > \"$0.args\"\nexec \"$@\"\n");
    qputenv("ZORVAN_ELEVATE_COMMAND", command.toLocal8Bit());
    TElevationCommand elevation(program);

    EXPECT_TRUE(elevation.StartElevated({"/backup", "My \"odd\" job"}));
    ASSERT_TRUE(waitForFile(program + ".args"));
    EXPECT_EQ(QString::fromUtf8(TestEnvironment::readFile(program + ".args")), "/backup\nMy \"odd\" job\n");
    // The program finds the user's data, settings and cache folders even though the elevation clears
    // the environment.
    ASSERT_TRUE(waitForFile(program + ".env"));
    const QString env = QString::fromUtf8(TestEnvironment::readFile(program + ".env"));
    EXPECT_TRUE(env.contains("XDG_DATA_HOME=" + qEnvironmentVariable("XDG_DATA_HOME") + "\n"))
        << qPrintable(env);
    EXPECT_TRUE(env.contains("XDG_CONFIG_HOME=" + qEnvironmentVariable("XDG_CONFIG_HOME") + "\n"));
    EXPECT_TRUE(env.contains("XDG_CACHE_HOME=" + qEnvironmentVariable("XDG_CACHE_HOME") + "\n"));
    const QStringList line = elevation.commandLine({"/admin"});
    EXPECT_EQ(line.first(), command);
    EXPECT_EQ(line.at(1), "env");
    EXPECT_EQ(line.mid(line.size() - 2), (QStringList{program, "/admin"}));
}

TEST_F(ElevationCommandTest, TheWindowProgramIsRunItselfOtherProgramsThroughEnv)
{
    // The window program as installed: the real file in a private folder, a link to it elsewhere.
    QDir().mkpath(folder + "/libexec");
    QDir().mkpath(folder + "/bin");
    const QString real = writeScript(folder + "/libexec", "zorvanbackup", "exit 0\n");
    ASSERT_TRUE(QFile::link(real, folder + "/bin/zorvanbackup"));
    const QString tool = writeScript(folder, "zorvan-imagetool", "exit 0\n");
    const QByteArray display = qgetenv("DISPLAY");
    const bool hadDisplay = qEnvironmentVariableIsSet("DISPLAY");
    qputenv("DISPLAY", ":5");

    const struct
    {
        QString program;
        const char* replacement; // nullptr: pkexec
        QString executed;
        bool throughEnv;
    } cases[] = {
        {folder + "/bin/zorvanbackup", nullptr, real, false},
        {folder + "/bin/zorvanbackup", "sudo -n", real, false},
        {real, nullptr, real, false},
        {tool, nullptr, tool, true},
        {tool, "sudo -n", tool, true},
    };
    for (const auto& c : cases) {
        c.replacement ? qputenv("ZORVAN_ELEVATE_COMMAND", c.replacement)
                      : qunsetenv("ZORVAN_ELEVATE_COMMAND");
        const QStringList words = ElevationCommandWords();
        const QStringList line = TElevationCommand(c.program).commandLine({"/backup", "Docs"});
        const QString where = c.program + " / " + words.join(' ');
        ASSERT_EQ(line.mid(0, words.size()), words) << qPrintable(where);
        QStringList rest = line.mid(words.size());
        if (c.throughEnv) {
            EXPECT_EQ(rest.first(), "env") << qPrintable(where);
            EXPECT_TRUE(rest.contains("DISPLAY=:5")) << qPrintable(where);
            EXPECT_EQ(rest.mid(rest.size() - 3), (QStringList{c.executed, "/backup", "Docs"}))
                << qPrintable(where);
            continue;
        }
        // pkexec runs the program itself, so that the policy naming its real path applies; the display
        // stays with pkexec, the rest follows the arguments.
        EXPECT_EQ(rest.mid(0, 3), (QStringList{c.executed, "/backup", "Docs"})) << qPrintable(where);
        rest = rest.mid(3);
        EXPECT_TRUE(rest.contains("--zorvan-variable=XDG_DATA_HOME=" + StandardFolders::dataHomeFolder()))
            << qPrintable(rest.join('\n'));
        for (const QString& word : rest)
            EXPECT_TRUE(word.startsWith("--zorvan-variable=") && !word.contains("DISPLAY=:5"))
                << qPrintable(where + ": " + word);
    }
    hadDisplay ? qputenv("DISPLAY", display) : qunsetenv("DISPLAY");
}

TEST_F(ElevationCommandTest, RefusedOrMissingCommandReportsFailureWithoutStartingTheProgram)
{
    const struct
    {
        const char* name;
        QByteArray body;
    } cases[] = {
        {"dismissed", "exit 126\n"}, // the user closed the prompt
        {"unauthorized", "exit 127\n"},
        {"slow-refusal", "sleep 0.3\nexit 126\n"},
    };
    for (const auto& c : cases) {
        qputenv("ZORVAN_ELEVATE_COMMAND", writeScript(folder, c.name, c.body).toLocal8Bit());
        TElevationCommand elevation(program);
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(elevation.StartElevated({"/admin"})) << c.name;
        EXPECT_LT(timer.elapsed(), 5000) << c.name;
    }
    qputenv("ZORVAN_ELEVATE_COMMAND", QByteArray(qPrintable(folder + "/no-such-command")));
    EXPECT_FALSE(TElevationCommand(program).StartElevated({"/admin"}));
    EXPECT_FALSE(QFileInfo::exists(program + ".args"));
}

TEST_F(ElevationCommandTest, PromptLeftUnansweredGivesUpAfterTheTimeout)
{
    qputenv("ZORVAN_ELEVATE_COMMAND", writeScript(folder, "never-answers", "exec sleep 30\n").toLocal8Bit());
    TElevationCommand elevation(program);
    elevation.promptTimeoutMsecs = 300;
    EXPECT_FALSE(elevation.StartElevated({"/admin"}));
}

TEST(ElevationCommandWordsTest, DefaultsToPkexecAndSplitsTheReplacement)
{
    qunsetenv("ZORVAN_ELEVATE_COMMAND");
    EXPECT_EQ(ElevationCommandWords(), QStringList{"pkexec"});
    qputenv("ZORVAN_ELEVATE_COMMAND", "sudo -n");
    EXPECT_EQ(ElevationCommandWords(), (QStringList{"sudo", "-n"}));
    qunsetenv("ZORVAN_ELEVATE_COMMAND");
}

TEST(InstanceLockTest, OneHolderAtATimeAndReleasedOnUnlock)
{
    TInstanceLock first;
    ASSERT_TRUE(first.tryLock());
    EXPECT_TRUE(first.lockFilePath().startsWith(StandardFolders::runtimeFolder() + '/'));
    EXPECT_EQ(first.holderProcessId(), QCoreApplication::applicationPid());
    {
        TInstanceLock second;
        EXPECT_FALSE(second.tryLock());
    }
    first.unlock();
    TInstanceLock third;
    EXPECT_TRUE(third.tryLock());
}

TEST(InstanceLockTest, LockLeftByADeadProcessIsTakenOver)
{
    // A lock file in QLockFile's format naming a process that no longer exists.
    const QString path = TInstanceLock::lockFilePath();
    QFile::remove(path);
    TestEnvironment::writeFile(path,
                               "2147483646\nzorvanbackup\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    TInstanceLock lock;
    EXPECT_TRUE(lock.tryLock());
}

TEST(PowerControlTest, WithoutLogindTheFallbackCommandDecides)
{
    SKIP_UNDER_THREAD_SANITIZER();
    const QString folder = TestEnvironment::makeFolder("power");
    const QString marker = folder + "/powered-off";
    TPowerControlLogind accepted(kNoBus, {"sh", "-c", "echo poweroff > '" + marker + "'"});
    EXPECT_TRUE(accepted.PowerOffComputer());
    EXPECT_FALSE(accepted.lastRequestUsedLogind());
    EXPECT_TRUE(QFileInfo::exists(marker));

    TPowerControlLogind refused(kNoBus, {"sh", "-c", "exit 1"});
    EXPECT_FALSE(refused.PowerOffComputer());
    TPowerControlLogind missing(kNoBus, {folder + "/no-such-command"});
    EXPECT_FALSE(missing.PowerOffComputer());
    TPowerControlLogind none(kNoBus, {});
    EXPECT_FALSE(none.PowerOffComputer());
}

TEST(SleepInhibitorTest, WithoutABusRequestsDoNothing)
{
    SKIP_UNDER_THREAD_SANITIZER();
    TSleepInhibitorDBus inhibitor(kNoBus);
    QList<bool> answers;
    QObject::connect(&inhibitor, &TSleepInhibitorDBus::busyRequestFinished,
                     [&](bool held) { answers.append(held); });
    inhibitor.requestBusy();
    EXPECT_FALSE(inhibitor.isHeld());
    EXPECT_FALSE(inhibitor.isPending());
    EXPECT_EQ(answers, QList<bool>{false});
    inhibitor.requestIdle();
    EXPECT_FALSE(inhibitor.isHeld());
}

TEST(StopSignalsTest, TermAndIntArriveAsStopRequests)
{
    TStopSignals stopSignals;
    QList<int> stops;
    QObject::connect(&stopSignals, &TStopSignals::stopRequested, [&](int number) { stops.append(number); });
    ::raise(SIGTERM);
    ASSERT_TRUE(processEventsUntil([&] { return stops.size() == 1; }));
    ::raise(SIGINT);
    ASSERT_TRUE(processEventsUntil([&] { return stops.size() == 2; }));
    EXPECT_EQ(stops, (QList<int>{SIGTERM, SIGINT}));
    EXPECT_EQ(stopSignals.received(), SIGTERM) << "the first signal is kept";
}

} // namespace
