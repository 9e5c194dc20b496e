#include "support/gui/ModalSteps.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmAddTime.h"
#include "ui/dialogs/TfrmListViewer.h"
#include "ui/dialogs/TfrmNewBackupJob.h"
#include "ui/dialogs/TfrmOpenJobDialog.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/dialogs/TfrmQueryInput.h"
#include "ui/widgets/FileChooser.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimeEdit>

using namespace ModalSteps;

namespace {

class SmallDialogsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        MessageDialogHook::answerAll(mrOk);
        FileChooserHook::clearAnswers();
    }
    void TearDown() override
    {
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        FileChooserHook::clearAnswers();
    }

    static QStringList shownTexts()
    {
        QStringList texts;
        for (const MessageDialogHook::TShownMessage& message : MessageDialogHook::shown())
            texts << message.Text;
        return texts;
    }
};

TEST_F(SmallDialogsTest, PasswordsMustMatchApartFromOuterBlanks)
{
    TfrmPassword dialog;
    QString password = "old";
    bool stayedOpen = false;
    whenShown("frmPassword", [&](QWidget& shown) {
        EXPECT_EQ(shown.windowTitle(), " Set Password");
        EXPECT_EQ(child<QLineEdit>(shown, "Edit1")->echoMode(), QLineEdit::Password);
        setText(shown, "Edit1", "secret");
        setText(shown, "Edit2", "secreT");
        click(shown, "Button2");
        stayedOpen = shown.isVisible();
        // Blanks at the ends do not count; Enter confirms like "OK".
        setText(shown, "Edit2", "  secret ");
        setText(shown, "Edit1", " secret");
        QTest::keyClick(child<QCheckBox>(shown, "CheckBox1"), Qt::Key_Return);
    });
    EXPECT_TRUE(dialog.ChangePassword(password));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(shownTexts(), QStringList{"Passwords do not match."});
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtError);
    EXPECT_EQ(password, "secret");

    // Shown again: empty edits; "Show password" unmasks both; "Cancel" keeps the old password.
    QString seen = "unset";
    whenShown("frmPassword", [&](QWidget& shown) {
        seen = child<QLineEdit>(shown, "Edit1")->text() + child<QLineEdit>(shown, "Edit2")->text();
        child<QCheckBox>(shown, "CheckBox1")->click();
        EXPECT_EQ(child<QLineEdit>(shown, "Edit2")->echoMode(), QLineEdit::Normal);
        setText(shown, "Edit1", "other");
        setText(shown, "Edit2", "other");
        click(shown, "Button1");
    });
    EXPECT_FALSE(dialog.ChangePassword(password));
    EXPECT_EQ(seen, "");
    EXPECT_EQ(password, "secret");

    // An empty confirmed pair clears the password.
    whenShown("frmPassword", [&](QWidget& shown) { click(shown, "Button2"); });
    EXPECT_TRUE(dialog.ChangePassword(password));
    EXPECT_EQ(password, "");
}

TEST_F(SmallDialogsTest, QueryInputReturnsTheTextAsTyped)
{
    QString value = "Docs";
    whenShown("frmQueryInput", [](QWidget& shown) {
        EXPECT_EQ(shown.windowTitle(), " Rename Job");
        EXPECT_EQ(child<QLabel>(shown, "Label1")->text(), "New job name:");
        EXPECT_EQ(child<QLineEdit>(shown, "Edit1")->text(), "Docs");
        setText(shown, "Edit1", "  Work  ");
        QTest::keyClick(child<QLineEdit>(shown, "Edit1"), Qt::Key_Return);
    });
    EXPECT_TRUE(QueryInput(nullptr, "Rename Job", "New job name:", value));
    EXPECT_EQ(value, "  Work  ");

    whenShown("frmQueryInput", [](QWidget& shown) {
        setText(shown, "Edit1", "ignored");
        click(shown, "Button2");
    });
    EXPECT_FALSE(QueryInput(nullptr, "Rename Job", "New job name:", value));
    EXPECT_EQ(value, "  Work  ");
}

TEST_F(SmallDialogsTest, AddTimeResultIsResetOnEveryShowing)
{
    TfrmAddTime dialog;
    dialog.SetTime(QTime(0, 0, 0));
    whenShown("frmAddTime", [](QWidget& shown) {
        EXPECT_EQ(shown.windowTitle(), "Add...");
        child<QTimeEdit>(shown, "dtpTime")->setTime(QTime(7, 30, 15));
        click(shown, "btOK");
    });
    EXPECT_EQ(dialog.ShowModalResult(), 1);
    EXPECT_EQ(dialog.ChosenTime(), QTime(7, 30, 15));

    // Closed with the title bar's button (or Escape) after an earlier "OK": nothing chosen.
    whenShown("frmAddTime", [](QWidget& shown) { shown.close(); });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
    whenShown("frmAddTime", [](QWidget& shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
    // Enter anywhere confirms.
    whenShown("frmAddTime",
              [](QWidget& shown) { QTest::keyClick(child<QTimeEdit>(shown, "dtpTime"), Qt::Key_Return); });
    EXPECT_EQ(dialog.ShowModalResult(), 1);
}

TEST_F(SmallDialogsTest, ListViewerShowsFoldersWithoutTheirStar)
{
    EXPECT_EQ(TfrmListViewer::ListText({"/home/ann/Work/*", "/*", "/home/ann/notes.txt", "a*"}),
              "/home/ann/Work\n/\n/home/ann/notes.txt\na*");
    TfrmListViewer dialog;
    QString text;
    whenShown("frmListViewer", [&](QWidget& shown) {
        EXPECT_EQ(shown.windowTitle(), "View as list");
        EXPECT_EQ(child<QLabel>(shown, "Label1")->text(), "View as list:");
        text = child<QPlainTextEdit>(shown, "Memo1")->toPlainText();
        EXPECT_TRUE(child<QPlainTextEdit>(shown, "Memo1")->isReadOnly());
        click(shown, "btOK");
    });
    dialog.ShowList({"/data/*", "/etc/fstab"});
    EXPECT_EQ(text, "/data\n/etc/fstab");
}

TEST_F(SmallDialogsTest, NewJobStartsEmptyWithFilesAndFolders)
{
    TfrmNewBackupJob dialog;
    whenShown("frmNewBackupJob", [](QWidget& shown) {
        EXPECT_EQ(shown.windowTitle(), "New Backup Job");
        child<QRadioButton>(shown, "rbDriveBackup")->setChecked(true);
        setText(shown, "edJobName", " System ");
        QTest::keyClick(child<QLineEdit>(shown, "edJobName"), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.ShowModalResult(), 1);
    EXPECT_EQ(dialog.JobName(), " System ");
    EXPECT_TRUE(dialog.DriveImageChosen());

    bool emptyFilesChosenFocused = false;
    whenShown("frmNewBackupJob", [&](QWidget& shown) {
        auto* name = child<QLineEdit>(shown, "edJobName");
        (void)QTest::qWaitFor([&] { return name->hasFocus(); }, 2000);
        emptyFilesChosenFocused = name->text().isEmpty() && name->hasFocus() &&
                                  child<QRadioButton>(shown, "rbFilesAndFolders")->isChecked();
        click(shown, "btCancel");
    });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
    EXPECT_TRUE(emptyFilesChosenFocused);
    EXPECT_FALSE(dialog.DriveImageChosen());
}

TEST_F(SmallDialogsTest, ImportDialogTakesAJobFileOnly)
{
    TfrmOpenJobDialog dialog;
    dialog.DefaultPath = "/media/usb/Docs";
    FileChooserHook::answerNextOpenFile("//server/share/backups/Docs.kxj");
    QString before;
    QString afterBrowse;
    whenShown("frmOpenJobDialog", [&](QWidget& shown) {
        EXPECT_EQ(shown.windowTitle(), "Import");
        EXPECT_EQ(child<QLabel>(shown, "lbInfo")->text(),
                  "You can import job directly from the storage. Click \"Browse...\" and find the job file "
                  "(*.kxj) on your storage.");
        before = child<QLineEdit>(shown, "edJobFile")->text();
        click(shown, "btImport");
        click(shown, "btBrowse");
        afterBrowse = child<QLineEdit>(shown, "edJobFile")->text();
        click(shown, "btImport");
    });
    EXPECT_EQ(dialog.ShowModalResult(), 1);
    EXPECT_EQ(before, "/media/usb/Docs");
    EXPECT_EQ(shownTexts(), QStringList{"Click \"Browse...\" and find the job file *.kxj."});
    EXPECT_EQ(dialog.JobFilePath(), "//server/share/backups/Docs.kxj");
    EXPECT_EQ(afterBrowse, "//server/share/backups/Docs.kxj");
    EXPECT_TRUE(dialog.DefaultPath.isEmpty()) << "emptied when the dialog closes";

    // A cancelled chooser keeps the field; the letter case of the extension counts.
    FileChooserHook::answerNextOpenFile("");
    MessageDialogHook::clearShown();
    whenShown("frmOpenJobDialog", [](QWidget& shown) {
        EXPECT_EQ(child<QLineEdit>(shown, "edJobFile")->text(), "");
        setText(shown, "edJobFile", "/media/usb/Docs.KXJ");
        click(shown, "btBrowse");
        click(shown, "btImport");
        EXPECT_EQ(child<QLineEdit>(shown, "edJobFile")->text(), "/media/usb/Docs.KXJ");
        click(shown, "btCancel");
    });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
    EXPECT_EQ(shownTexts().size(), 1);
}

} // namespace
