// The main window's Options command in the whole program: the autorun entry follows the box, a failed
// change restores it and names the autostart folder, and a password set here guards the next showing.
#include "app/core/WindowLayout.h"
#include "app/TrayIcon.h"
#include "base/AppState.h"
#include "options/uOptions.h"
#include "platform/Autorun.h"
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace ModalSteps;

namespace {

class OptionsCommandTest : public AppFixture
{
protected:
    // Runs the Options command: `steps` on the dialog, which they close.
    void runOptions(std::function<void(QWidget&)> steps)
    {
        whenShown("frmOptions", std::move(steps));
        trigger("ActionOptions");
    }
    void setRunAtLogon(bool on)
    {
        runOptions([on](QWidget& d) {
            child<QCheckBox>(d, "chRunProgramAtLogon")->setChecked(on);
            click(d, "btOK");
        });
    }
    bool boxShownChecked()
    {
        bool checked = false;
        runOptions([&](QWidget& d) {
            checked = child<QCheckBox>(d, "chRunProgramAtLogon")->isChecked();
            click(d, "btCancel");
        });
        return checked;
    }
    static TOptions savedOptions()
    {
        const TOptions inMemory = GlobalOptions;
        EXPECT_TRUE(LoadOptions());
        const TOptions loaded = GlobalOptions;
        GlobalOptions = inMemory;
        return loaded;
    }
    static void answerPassword(const QString& text)
    {
        whenShown("frmEnterPassword", [text](QWidget& d) {
            setText(d, "edPassword", text);
            click(d, "btOK");
        });
    }
};

TEST_F(OptionsCommandTest, AutorunEntryFollowsTheBoxAndAFailedChangeRestoresIt)
{
    // The defaults of a first start switch it on.
    start();
    ASSERT_TRUE(GlobalOptions.General.RunProgramAtLogon);
    const QString entry = AutorunEntryPath();
    ASSERT_TRUE(entry.startsWith(root + "/config/autostart/")) << entry.toStdString();
    ASSERT_TRUE(QFile::exists(entry));
    ASSERT_FALSE(QFile::exists(OptionsFilePath())) << "defaults are not written before the dialog's OK";

    setRunAtLogon(false);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(GlobalOptions.General.RunProgramAtLogon);
    EXPECT_FALSE(savedOptions().General.RunProgramAtLogon);

    setRunAtLogon(true);
    ASSERT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(TestEnvironment::readFile(entry).contains(" /hide\n"));
    EXPECT_TRUE(savedOptions().General.RunProgramAtLogon);
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());

    // A file where the autostart folder should be: nothing can be written or removed there, root or not.
    const QString folder = QFileInfo(entry).path();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    TestEnvironment::writeFile(folder, "not a folder");
    runOptions([](QWidget& d) {
        child<QCheckBox>(d, "chRunProgramAtLogon")->setChecked(false);
        // The other options are saved anyway.
        child<QCheckBox>(d, "chRunOnlyOneJobAtATime")->setChecked(true);
        click(d, "btOK");
    });
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    const auto shown = MessageDialogHook::shown().at(0);
    EXPECT_EQ(shown.Kind, mtError);
    EXPECT_EQ(shown.Text,
              "Unable to change the autorun option. Make sure you have the rights to create/remove "
              "files in the following folder:\n\n" +
                  folder);
    EXPECT_TRUE(GlobalOptions.General.RunProgramAtLogon);
    EXPECT_TRUE(boxShownChecked());
    const TOptions saved = savedOptions();
    EXPECT_TRUE(saved.General.RunProgramAtLogon);
    EXPECT_TRUE(saved.Processing.RunOnlyOneJobAtATime);
}

// "Verify the copies after each backup" and "Check for a new version at start" are kept in the settings
// file beside the window layout (the options file has no place for them) and are read again at the next
// start.
TEST_F(OptionsCommandTest, DesktopSettingsAreKeptBesideTheWindowLayout)
{
    start();
    EXPECT_TRUE(GlobalOptions.General.CheckForNewVersionAtStart);
    runOptions([](QWidget& d) {
        child<QCheckBox>(d, "chVerifyCopiesAfterBackup")->setChecked(true);
        child<QCheckBox>(d, "chCheckForNewVersion")->setChecked(false);
        click(d, "btOK");
    });
    EXPECT_TRUE(GlobalOptions.Processing.VerifyCopiesAfterBackup);
    const QString file = QString::fromUtf8(TestEnvironment::readFile(WindowLayoutFilePath()));
    EXPECT_TRUE(file.contains("verify_after_backup=1"));
    EXPECT_TRUE(file.contains("check_for_new_version=0"));
    stop();
    GlobalOptions.Processing.VerifyCopiesAfterBackup = false;
    GlobalOptions.General.CheckForNewVersionAtStart = true;
    start();
    EXPECT_TRUE(GlobalOptions.Processing.VerifyCopiesAfterBackup);
    EXPECT_FALSE(GlobalOptions.General.CheckForNewVersionAtStart);
    bool verifyChecked = false;
    bool checkChecked = true;
    runOptions([&](QWidget& d) {
        verifyChecked = child<QCheckBox>(d, "chVerifyCopiesAfterBackup")->isChecked();
        checkChecked = child<QCheckBox>(d, "chCheckForNewVersion")->isChecked();
        click(d, "btCancel");
    });
    EXPECT_TRUE(verifyChecked);
    EXPECT_FALSE(checkChecked);
}

TEST_F(OptionsCommandTest, CancelChangesNothing)
{
    start();
    const QString entry = AutorunEntryPath();
    runOptions([](QWidget& d) {
        child<QCheckBox>(d, "chRunProgramAtLogon")->setChecked(false);
        click(d, "btCancel");
    });
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(GlobalOptions.General.RunProgramAtLogon);
    EXPECT_FALSE(QFile::exists(OptionsFilePath()));
}

TEST_F(OptionsCommandTest, PasswordSetHereIsAskedAtTheNextShowing)
{
    start();
    runOptions([](QWidget& d) {
        child<QCheckBox>(d, "chProtectConfiguration")->setChecked(true);
        whenShown("frmPassword", [](QWidget& p) {
            setText(p, "Edit1", "open sesame");
            setText(p, "Edit2", "open sesame");
            click(p, "Button2");
        });
        click(d, "btSetPassword");
        click(d, "btOK");
    });
    EXPECT_TRUE(savedOptions().General.ProtectConfigurationbyPassword);
    EXPECT_EQ(savedOptions().General.strProtectConfiguration_Password, "open sesame");

    // Hidden, then opened from the tray: a wrong password keeps it hidden, the right one shows it.
    program->mainWindow().hide();
    answerPassword("open sesam");
    program->tray().Click();
    EXPECT_FALSE(program->mainWindow().isVisible());
    EXPECT_EQ(MessageDialogHook::shown().last().Text, "Invalid password");
    answerPassword("open sesame");
    program->tray().Click();
    EXPECT_TRUE(program->mainWindow().isVisible());

    // The next start asks for it too.
    stop();
    answerPassword(" open sesame ");
    start();
    EXPECT_TRUE(program->mainWindow().isVisible());
}

} // namespace
