// Real second starts of build/bin/zorvanbackup beside the instance in this test process: they hand
// their command line over and end, or, with "/backup", run as a second full instance; the lock of a
// holder that died is taken over; a lock held by the command-line scheduler is named in an error.
#include "app/core/InstanceHandOver.h"
#include "app/ProgramEntry.h"
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <future>

namespace {

const QString kProgram = QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup");
const QString kCli = QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli");

class InstancesTest : public AppFixture
{
protected:
    void TearDown() override
    {
        for (QProcess* process : {&child, &holder}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
        AppFixture::TearDown();
    }
    void startChild(QProcess& process, const QString& program, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted());
    }
    // A second start; this process handles its hand-over meanwhile. Its exit code, or -1.
    int secondStart(const QStringList& arguments, int timeoutMs = 30000)
    {
        startChild(child, kProgram, arguments);
        if (!waitUntil([&] { return child.state() == QProcess::NotRunning; }, timeoutMs))
            return -1;
        return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    }
    QStringList shownTexts()
    {
        QStringList texts;
        for (const auto& shown : MessageDialogHook::shown())
            texts << shown.Text;
        return texts;
    }

    QProcess child;
    QProcess holder;
};

TEST_F(InstancesTest, SecondStartsHandOverAndEnd)
{
    start({"/hide"});
    TMainWindowLifecycle& lifecycle = program->lifecycle();
    EXPECT_FALSE(lifecycle.isWindowShown());

    // No parameter: the window comes up.
    EXPECT_EQ(secondStart({}), 0) << child.readAll().toStdString();
    EXPECT_TRUE(lifecycle.isWindowShown());
    EXPECT_TRUE(lifecycle.firstShowDone());
    // "/hide" is not handed over: it also brings the window up.
    program->mainWindow().close();
    ASSERT_FALSE(lifecycle.isWindowShown());
    EXPECT_EQ(secondStart({"/hide"}), 0);
    EXPECT_TRUE(lifecycle.isWindowShown());

    // A job file reaches the import with its path; the second start stays a second longer.
    const QString jobFile = root + "/usb stick/Docs.kxj";
    QElapsedTimer elapsed;
    elapsed.start();
    QString shownPath;
    ModalSteps::whenShown("frmOpenJobDialog", [&shownPath](QWidget& dialog) {
        shownPath = ModalSteps::child<QLineEdit>(dialog, "edJobFile")->text();
        ModalSteps::click(dialog, "btCancel");
    });
    EXPECT_EQ(secondStart({jobFile}), 0);
    EXPECT_GE(elapsed.elapsed(), 1000);
    EXPECT_EQ(shownPath, jobFile);
    EXPECT_TRUE(shownTexts().isEmpty());
    // The same path with the extension in capitals only shows the window.
    MessageDialogHook::clearShown();
    EXPECT_EQ(secondStart({root + "/usb stick/Docs.KXJ"}), 0);
    EXPECT_TRUE(shownTexts().isEmpty());
}

TEST_F(InstancesTest, BackupSwitchStartsASecondFullInstance)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    start();
    startChild(child, kProgram, {"/backup", "Docs"});
    // The second instance marks the job at its first showing and runs it; this one does nothing.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(destination + "/Docs/Docs/a.txt"); }))
        << child.readAll().toStdString();
    EXPECT_TRUE(program->jobs().at(0)->isIdle());
    EXPECT_TRUE(shownTexts().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(destination + "/Docs.kxj"); }));
    // SIGTERM ends it as the end of the session does.
    ::kill(pid_t(child.processId()), SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return child.state() == QProcess::NotRunning; }));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
}

TEST_F(InstancesTest, SchedulerLockHolderIsNamedAndADeadHolderFreesTheLock)
{
    startChild(holder, kCli, {"scheduler"});
    ASSERT_TRUE(waitUntil([&] { return holder.readAll().contains("Scheduling"); }));

    // A start now finds the lock held and nobody to hand over to.
    TInstanceLock lock;
    ASSERT_FALSE(lock.tryLock());
    EXPECT_EQ(HandOverToRunningInstance(TCommandLine(), lock), kScheduledByCommandLine);
    ASSERT_EQ(shownTexts().size(), 1);
    EXPECT_TRUE(shownTexts().at(0).contains("command-line scheduler")) << shownTexts().at(0).toStdString();
    EXPECT_TRUE(shownTexts().at(0).contains(QString::number(holder.processId())));
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtError);

    // The holder dies without cleaning up: the next start becomes the running instance.
    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished());
    startChild(child, kProgram, {"/hide"});
    auto answered = std::async(std::launch::async, [] {
        return SendHandOver({THandOverRequest::hoShow, {}}, 20000);
    });
    ASSERT_TRUE(
        waitUntil([&] { return answered.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answered.get(), hrAcknowledged) << child.readAll().toStdString();
    EXPECT_FALSE(lock.tryLock());
    ::kill(pid_t(child.processId()), SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return child.state() == QProcess::NotRunning; }));
    EXPECT_EQ(child.exitCode(), 0);
    // Its lock ended with it.
    EXPECT_TRUE(lock.tryLock());
}

TEST_F(InstancesTest, LockFileThatCannotBeMade)
{
    const QString file = root + "/not-a-folder";
    TestEnvironment::writeFile(file, "x");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(file));
    TInstanceLock lock;
    ASSERT_FALSE(lock.tryLock());
    EXPECT_EQ(HandOverToRunningInstance(TCommandLine(), lock), 1);
    ASSERT_EQ(shownTexts().size(), 1);
    EXPECT_TRUE(shownTexts().at(0).startsWith("ERROR: Unable to create the lock file: " + file + '/'))
        << shownTexts().at(0).toStdString();
}

} // namespace
