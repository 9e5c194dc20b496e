// The options dialog on its own: what it loads and hands back, its checks on OK in their order, the
// set-password flow and the folder choosers.
#include "support/gui/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmOptions.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/FolderChooser.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

using namespace ModalSteps;

namespace {

class OptionsDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        MessageDialogHook::answerAll(mrOk);
        FolderChooserHook::clearAnswers();
        folders = TestEnvironment::makeFolder("options");
        temp = folders + "/temp";
        logs = folders + "/logs";
        QDir().mkpath(temp);
        QDir().mkpath(logs);
        options.General.PathForTempFiles = temp;
        options.Logging.PathForLogFiles = logs;
        options.General.ProcessPriority = 2;
        options.Logging.MaxNumberOfLogsForEachJob = 20;
        options.Processing.IfDestinationNotAvailable_Then = 1;
        options.ExcludedDirs = QStringList{"/proc", "/sys"};
    }
    void TearDown() override
    {
        MessageDialogHook::clearAnswers();
        FolderChooserHook::clearAnswers();
    }
    // Shows the dialog on `options`, runs `steps` on it, and returns its result.
    int show(std::function<void(QWidget&)> steps)
    {
        dialog.OptionsToControls(options);
        whenShown("frmOptions", std::move(steps));
        return dialog.ShowModalResult();
    }
    QStringList shownTexts()
    {
        QStringList texts;
        for (const auto& shown : MessageDialogHook::shown())
            texts << shown.Text;
        return texts;
    }

    QString folders, temp, logs;
    TOptions options;
    TfrmPassword passwordDialog;
    TfrmOptions dialog{passwordDialog};
};

TEST_F(OptionsDialogTest, PagesCaptionsAndHiddenPriority)
{
    int result = show([&](QWidget& d) {
        auto* pages = child<QTabWidget>(d, "PageControl1");
        ASSERT_EQ(pages->count(), 4);
        EXPECT_EQ(pages->tabText(0), "General");
        EXPECT_EQ(pages->tabText(2), "Backup ");
        EXPECT_EQ(pages->tabText(3), "Exclusions");
        EXPECT_EQ(d.windowTitle(), " Options");
        EXPECT_EQ(child<QCheckBox>(d, "chDontLogCopyingInternalFiles")->text(),
                  "Do not log copying of the internal database files (*.kxj, *.obl)");
        EXPECT_EQ(child<QPushButton>(d, "btSetPassword")->text(), "Set Password...");
        auto* priority = child<QComboBox>(d, "cbProcessPriority");
        EXPECT_FALSE(priority->isVisibleTo(&d));
        EXPECT_FALSE(child<QLabel>(d, "lbProcessPriority")->isVisibleTo(&d));
        EXPECT_EQ(priority->currentText(), "High") << "the texts are replaced, the index stays";
        EXPECT_EQ(priority->itemText(0), "Iddle");
        EXPECT_EQ(child<QComboBox>(d, "cbThen")->currentText(), "Pause and wait for your action");
        EXPECT_EQ(child<QSpinBox>(d, "seRetryTimes")->minimum(), std::numeric_limits<qint32>::min());
        // Without protection the password controls are off.
        EXPECT_FALSE(child<QPushButton>(d, "btSetPassword")->isEnabled());
        EXPECT_EQ(child<QLabel>(d, "lbPasswordStatus")->text(), "Password is not set");
        child<QCheckBox>(d, "chProtectConfiguration")->click();
        EXPECT_TRUE(child<QPushButton>(d, "btSetPassword")->isEnabled());
        pages->setCurrentIndex(3);
        click(d, "btCancel");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dialog.findChild<QTabWidget*>("PageControl1")->currentIndex(), 0) << "first page after closing";
}

TEST_F(OptionsDialogTest, ControlsGoBackIntoTheOptionsAsEdited)
{
    const int result = show([&](QWidget& d) {
        child<QCheckBox>(d, "chRunOnlyOneJobAtATime")->click();
        child<QSpinBox>(d, "seMaxNumberOfLogs")->setValue(-3);
        child<QSpinBox>(d, "seWaitSec")->setValue(7);
        child<QComboBox>(d, "cbThen")->setCurrentIndex(0);
        child<QCheckBox>(d, "chSkipLockedFiles")->click();
        // An empty line is an empty entry; %VARIABLES% stay as typed.
        child<QPlainTextEdit>(d, "mmExcludedDirs")->setPlainText("/proc\n\n%HOME%/cache");
        click(d, "btOK");
    });
    ASSERT_EQ(result, 1);
    TOptions edited = options;
    edited.Language.LanguageOfInterface = "de";
    dialog.ControlsToOptions(edited);
    EXPECT_TRUE(edited.Processing.RunOnlyOneJobAtATime);
    EXPECT_EQ(edited.Logging.MaxNumberOfLogsForEachJob, -3);
    EXPECT_EQ(edited.Processing.IfDestinationNotAvailable_Wait_Sec, 7);
    EXPECT_EQ(edited.Processing.IfDestinationNotAvailable_Then, 0);
    EXPECT_TRUE(edited.Processing.SkipLockedFiles);
    EXPECT_EQ(edited.ExcludedDirs, (QStringList{"/proc", "", "%HOME%/cache"}));
    EXPECT_EQ(edited.General.ProcessPriority, 2);
    EXPECT_EQ(edited.General.PathForTempFiles, temp);
    EXPECT_EQ(edited.Language.LanguageOfInterface, "de") << "what the dialog does not show stays";
}

// The box on the "Backup " page shows the value it is given and hands the edited one back.
TEST_F(OptionsDialogTest, VerifyCopiesAfterBackupGoesBothWays)
{
    for (const bool loaded : {false, true}) {
        options.Processing.VerifyCopiesAfterBackup = loaded;
        bool shown = !loaded;
        const int result = show([&](QWidget& d) {
            auto* box = child<QCheckBox>(d, "chVerifyCopiesAfterBackup");
            shown = box->isChecked();
            EXPECT_EQ(box->text(), "Verify the copies after each backup");
            EXPECT_FALSE(box->accessibleName().isEmpty());
            EXPECT_EQ(box->parentWidget()->objectName(), "tsBackup");
            box->click();
            click(d, "btOK");
        });
        ASSERT_EQ(result, 1);
        EXPECT_EQ(shown, loaded);
        TOptions edited = options;
        dialog.ControlsToOptions(edited);
        EXPECT_EQ(edited.Processing.VerifyCopiesAfterBackup, !loaded);
    }
}

TEST_F(OptionsDialogTest, ChecksOnOkInTheirOrder)
{
    // Linux folder names may end in a blank: "logs " exists beside "logs".
    QDir().mkpath(logs + " ");
    QDir().mkpath(folders + "/Logs");
    struct TCase
    {
        const char* Name;
        bool Protect;
        QString Temp, Logs;
        QString Message; // empty: accepted
    };
    const TCase cases[] = {
        {"protection without password", true, "", "",
         "Please specify a password for configuration protection."},
        {"empty temporary path", false, "", logs, "Please choose a correct path for the temporary files."},
        {"missing temporary folder", false, temp + "/gone", logs,
         "Please choose a correct path for the temporary files."},
        {"a file is no folder", false, temp, folders + "/file",
         "Please choose a correct path for the log files."},
        {"same path", false, logs, logs, "Unable to set the same path for temporary files and log files."},
        {"differ by blanks only", false, logs + " ", logs,
         "Unable to set the same path for temporary files and log files."},
        {"differ in case only", false, folders + "/Logs", logs, ""},
    };
    TestEnvironment::writeFile(folders + "/file", "x");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        MessageDialogHook::clearShown();
        bool stayedOpen = false;
        const int result = show([&](QWidget& d) {
            if (c.Protect)
                child<QCheckBox>(d, "chProtectConfiguration")->click();
            setText(d, "edPathForTempFiles", c.Temp);
            setText(d, "edPathForLogFiles", c.Logs);
            click(d, "btOK");
            stayedOpen = d.isVisible();
            if (stayedOpen)
                click(d, "btCancel");
        });
        EXPECT_EQ(result, c.Message.isEmpty() ? 1 : 0);
        EXPECT_EQ(stayedOpen, !c.Message.isEmpty());
        EXPECT_EQ(shownTexts(), c.Message.isEmpty() ? QStringList() : QStringList{c.Message});
        if (!c.Message.isEmpty()) {
            EXPECT_EQ(MessageDialogHook::shown().value(0).Kind, mtError);
        }
    }
}

TEST_F(OptionsDialogTest, SetPasswordFlow)
{
    auto setPassword = [](QWidget& d, const QString& first, const QString& second) {
        whenShown("frmPassword", [=](QWidget& p) {
            setText(p, "Edit1", first);
            setText(p, "Edit2", second);
            click(p, "Button2");
            if (p.isVisible()) // the texts did not match
                click(p, "Button1");
        });
        click(d, "btSetPassword");
    };
    QString status;
    int result = show([&](QWidget& d) {
        child<QCheckBox>(d, "chProtectConfiguration")->click();
        setPassword(d, " pass ", "pass");
        status = child<QLabel>(d, "lbPasswordStatus")->text();
        click(d, "btOK");
    });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(status, "Password is set");
    dialog.ControlsToOptions(options);
    EXPECT_TRUE(options.General.ProtectConfigurationbyPassword);
    EXPECT_EQ(options.General.strProtectConfiguration_Password, "pass") << "surrounding blanks removed";

    // A changed password is dropped by Cancel; a mismatch changes nothing.
    TOptions cancelled = options;
    result = show([&](QWidget& d) {
        EXPECT_EQ(child<QLabel>(d, "lbPasswordStatus")->text(), "Password is set");
        setPassword(d, "new", "other");
        setPassword(d, "new", "new");
        click(d, "btCancel");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(shownTexts(), QStringList{"Passwords do not match."});
    EXPECT_EQ(options.General.strProtectConfiguration_Password, "pass");

    // An empty confirmed pair clears it, and the protection then needs one again.
    result = show([&](QWidget& d) {
        setPassword(d, "", "");
        status = child<QLabel>(d, "lbPasswordStatus")->text();
        click(d, "btOK");
        click(d, "btCancel");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(status, "Password is not set");
    EXPECT_EQ(shownTexts().last(), "Please specify a password for configuration protection.");
}

TEST_F(OptionsDialogTest, SelectButtonsChooseFolders)
{
    FolderChooserHook::answerNext(folders + "/chosen-temp");
    FolderChooserHook::answerNext(QString()); // cancelled: the log path stays
    QString tempText, logText;
    show([&](QWidget& d) {
        click(d, "btSelectTempPath");
        click(d, "btSelectLogPath");
        tempText = child<QLineEdit>(d, "edPathForTempFiles")->text();
        logText = child<QLineEdit>(d, "edPathForLogFiles")->text();
        click(d, "btCancel");
    });
    EXPECT_EQ(tempText, folders + "/chosen-temp");
    EXPECT_EQ(logText, logs);
    const auto asked = FolderChooserHook::asked();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].Title, "Choose a folder");
    EXPECT_EQ(asked[0].Prompt, "Choose a folder for the temporary files");
    EXPECT_EQ(asked[1].Prompt, "Choose a folder for the log files");
    EXPECT_TRUE(asked[0].StartFolder.isEmpty());
    EXPECT_EQ(asked[0].Root, frFileSystem);
}

} // namespace
