// The program starts as a full instance: on an empty configuration and on one with jobs of both kinds,
// hidden with "/hide", and through the configuration password.
#include "app/TrayIcon.h"
#include "base/AppState.h"
#include "options/uOptions.h"
#include "scheduler/ShutdownCountdown.h"
#include "support/gui/AppFixture.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmEnterPassword.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

class StartTest : public AppFixture
{
protected:
    QString eventsText()
    {
        const auto* memo = program->mainWindow().findChild<QPlainTextEdit*>(QStringLiteral("memoEvents"));
        return memo ? memo->toPlainText() : QString();
    }
    // Saves options with the configuration protected by `password`.
    void protectWith(const QString& password)
    {
        start({}, true);
        GlobalOptions.General.ProtectConfigurationbyPassword = true;
        GlobalOptions.General.strProtectConfiguration_Password = password;
        ASSERT_TRUE(SaveOptions());
        stop();
    }
    // Types `text` into the password prompt once it shows, then OK (or Cancel).
    void answerPassword(const QString& text, bool ok = true)
    {
        QTimer::singleShot(0, [text, ok] {
            QWidget* dialog = nullptr;
            ASSERT_TRUE(waitUntil([&] {
                dialog = QApplication::activeModalWidget();
                return dialog && dialog->objectName() == QLatin1String("frmEnterPassword");
            }));
            dialog->findChild<QLineEdit*>(QStringLiteral("edPassword"))->setText(text);
            dialog->findChild<QPushButton*>(ok ? QStringLiteral("btOK") : QStringLiteral("btCancel"))
                ->click();
        });
    }
};

TEST_F(StartTest, EmptyConfiguration)
{
    start();
    TfrmMainOstrinBackup& window = program->mainWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zorvan Backup 1.0"));
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    // First start: the design size, centred on the screen.
    EXPECT_EQ(window.size(), QSize(904, 515));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (screen.width() >= window.frameGeometry().width()) {
        EXPECT_LE(std::abs(window.frameGeometry().center().x() - screen.center().x()), 1);
    }
    // The first showing started the scheduler; its first tick brings the start-up events.
    EXPECT_TRUE(program->lifecycle().firstShowDone());
    EXPECT_TRUE(program->scheduler().isTimerEnabled());
    ASSERT_TRUE(waitUntil([&] { return eventsText().contains("Application directory is created:"); }));
    EXPECT_EQ(jobList().model()->rowCount(), 0);
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());
}

TEST_F(StartTest, JobsOfBothKinds)
{
    createFilesJob("Documents", {{"a.txt", 10}});
    createImageJob("System");
    start();
    ASSERT_EQ(jobList().model()->rowCount(), 2);
    EXPECT_TRUE(rowText(0).startsWith("Documents")) << rowText(0).toStdString();
    EXPECT_TRUE(rowText(1).startsWith("System")) << rowText(1).toStdString();
    EXPECT_TRUE(rowText(0).contains("Never started"));
    ASSERT_TRUE(waitUntil([&] { return eventsText().contains("Backup jobs are loaded."); }));
}

TEST_F(StartTest, HiddenStartRunsTheSchedulerAtOnceAndAsksNoPassword)
{
    protectWith("secret");
    // No prompt at start: an unexpected modal prompt would block the test.
    start({"/hide"});
    EXPECT_FALSE(program->mainWindow().isVisible());
    EXPECT_TRUE(program->scheduler().isTimerEnabled());
    EXPECT_FALSE(program->lifecycle().firstShowDone());

    // Opening it from the tray asks the password; a wrong one keeps the window hidden.
    answerPassword("Secret");
    program->tray().openAction()->trigger();
    EXPECT_FALSE(program->mainWindow().isVisible());
    ASSERT_FALSE(MessageDialogHook::shown().isEmpty());
    EXPECT_EQ(MessageDialogHook::shown().last().Text, QStringLiteral("Invalid password"));
    EXPECT_EQ(MessageDialogHook::shown().last().Kind, mtError);

    answerPassword(" secret ");
    program->tray().Click();
    EXPECT_TRUE(program->mainWindow().isVisible());
    EXPECT_TRUE(program->lifecycle().firstShowDone());
}

TEST_F(StartTest, PasswordGate)
{
    protectWith("secret");
    struct TCase
    {
        const char* Typed;
        bool Ok;
        bool Passes;
        const char* Message;
    };
    const TCase cases[] = {{" secret", true, true, ""},
                           {"Secret", true, false, "Invalid password"},
                           {"secret", false, false, ""}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        MessageDialogHook::clearShown();
        program = std::make_unique<TZorvanBackupProgram>(TCommandLine());
        ASSERT_TRUE(program->Create());
        answerPassword(QString::fromUtf8(c.Typed), c.Ok);
        EXPECT_EQ(program->PassStartupGates(), c.Passes);
        const QStringList texts = [] {
            QStringList t;
            for (const auto& shown : MessageDialogHook::shown())
                t << shown.Text;
            return t;
        }();
        EXPECT_EQ(texts, *c.Message ? QStringList{QString::fromUtf8(c.Message)} : QStringList());
        EXPECT_FALSE(program->mainWindow().isVisible());
        program.reset();
    }
}

TEST_F(StartTest, DataFolderThatCannotBeMadeEndsBeforeTheLoop)
{
    const QString file = root + "/not-a-folder";
    TestEnvironment::writeFile(file, "x");
    qputenv("XDG_DATA_HOME", QFile::encodeName(file));
    program = std::make_unique<TZorvanBackupProgram>(TCommandLine());
    EXPECT_FALSE(program->Create());
    EXPECT_TRUE(AppTerminating.load());
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    const MessageDialogHook::TShownMessage shown = MessageDialogHook::shown().at(0);
    EXPECT_EQ(shown.Text,
              "ERROR: Unable to create application directory:" + file +
                  "/Zorvan Backup\n\nPlease make sure the directory is accessible, and restart the "
                  "program.");
    EXPECT_EQ(shown.Kind, mtError);
}

TEST_F(StartTest, TheTickOpensTheShutdownCountdown)
{
    start();
    TScheduler& scheduler = program->scheduler();
    scheduler.ShutdownPending = true;
    scheduler.TimerSchedulerTimer();
    const auto isCountdown = [](QWidget* widget) {
        return widget->objectName() == QLatin1String("frmPCshutdownDialog") && widget->isVisible();
    };
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(), isCountdown), 1);
    EXPECT_FALSE(scheduler.isTimerEnabled());
    // "Cancel" disarms it and gives the scheduler back.
    scheduler.shutdownCountdown().cancel();
    EXPECT_TRUE(scheduler.isTimerEnabled());
    EXPECT_FALSE(scheduler.ShutdownPending);
    EXPECT_FALSE(std::any_of(windows.begin(), windows.end(), isCountdown));
}

} // namespace
