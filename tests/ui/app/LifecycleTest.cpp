// The window's layout between runs and the command-line action of the first showing.
#include "app/core/WindowLayout.h"
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/widgets/FolderChooser.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSettings>

namespace {

class LifecycleTest : public AppFixture
{
protected:
    QStringList shownTexts()
    {
        QStringList texts;
        for (const auto& shown : MessageDialogHook::shown())
            texts << shown.Text;
        return texts;
    }
    QString eventsAfterTick()
    {
        const auto* memo = program->mainWindow().findChild<QPlainTextEdit*>(QStringLiteral("memoEvents"));
        program->scheduler().TimerSchedulerTimer();
        return memo->toPlainText();
    }
};

TEST_F(LifecycleTest, LayoutSurvivesARestart)
{
    start();
    TfrmMainOstrinBackup& first = program->mainWindow();
    first.setGeometry(120, 90, 1000, 640);
    first.setEventsHeight(210);
    const int eventsHeight = first.eventsHeight();
    first.close();
    stop();

    const QSettings file(WindowLayoutFilePath(), QSettings::IniFormat);
    EXPECT_EQ(file.value("window_x").toInt(), 120);
    EXPECT_EQ(file.value("window_w").toInt(), 1000);
    EXPECT_EQ(file.value("window_m").toInt(), 0);
    EXPECT_EQ(file.value("view_as_cards").toInt(), 0);
    EXPECT_EQ(file.value("events_visible").toInt(), 1);

    start();
    TfrmMainOstrinBackup& second = program->mainWindow();
    EXPECT_EQ(second.geometry(), QRect(120, 90, 1000, 640));
    EXPECT_EQ(second.eventsHeight(), eventsHeight);
    EXPECT_FALSE(second.isMaximized());
    // Maximized: it reopens maximized, over the normal place written last.
    second.showMaximized();
    ASSERT_TRUE(waitUntil([&] { return second.isMaximized(); }));
    second.close();
    stop();
    EXPECT_EQ(QSettings(WindowLayoutFilePath(), QSettings::IniFormat).value("window_m").toInt(), 1);

    start();
    EXPECT_TRUE(program->mainWindow().isMaximized());
    EXPECT_EQ(program->mainWindow().normalGeometry(), QRect(120, 90, 1000, 640));
}

TEST_F(LifecycleTest, BackupSwitchMarksTheNamedJobOnly)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    createFilesJob("Notes", {{"b.txt", 100}});
    // A name that matches no job (letter case counts) does nothing beyond starting.
    for (const QStringList& parameters :
         {QStringList{"/backup", "docs"}, QStringList{"/backup", "Nothing"}}) {
        start(parameters);
        for (int i = 0; i < program->jobs().count(); ++i)
            EXPECT_EQ(program->jobs().at(i)->JobStatus.load(), jsNone);
        EXPECT_TRUE(program->scheduler().isTimerEnabled());
        stop();
    }

    // The named job was made waiting at the first showing; the tick runs it.
    start({"/backup", "Docs"});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(destination + "/Docs/Docs/a.txt"); }));
    ASSERT_TRUE(waitUntil([&] { return program->jobs().at(0)->isIdle(); }));
    EXPECT_FALSE(QFileInfo::exists(destination + "/Notes"));
}

TEST_F(LifecycleTest, HiddenStartRunsTheActionAtTheFirstOpening)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    start({"/backup", "Docs", "/hide"});
    EXPECT_EQ(program->jobs().at(0)->JobStatus.load(), jsNone);
    program->lifecycle().ShowApplication1Click();
    EXPECT_EQ(program->jobs().at(0)->JobStatus.load(), jsWaiting);
}

TEST_F(LifecycleTest, RemoveSwitchRemovesTheJobEvenWhenItsBackupsStay)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    createFilesJob("Keep", {{"b.txt", 100}});
    // The storage is gone: the backups cannot be removed.
    ASSERT_TRUE(QFile::rename(destination, destination + "-unplugged"));
    const QString jobFile = root + "/data/Zorvan Backup/Docs.obd";
    ASSERT_TRUE(QFileInfo::exists(jobFile));
    start({"/remove", "Docs"});
    EXPECT_EQ(shownTexts(),
              QStringList{"Unable to remove the backup folder.\n\nMake sure the storage device is "
                          "connected. Then remove it manually"});
    EXPECT_EQ(MessageDialogHook::shown().value(0).Kind, mtError);
    EXPECT_FALSE(QFileInfo::exists(jobFile));
    ASSERT_EQ(program->jobs().count(), 1);
    EXPECT_EQ(program->jobs().at(0)->stJobName, QStringLiteral("Keep"));
    EXPECT_EQ(jobList().model()->rowCount(), 1);
    EXPECT_TRUE(eventsAfterTick().contains("Job is removed."));
    stop();
    start();
    EXPECT_EQ(program->jobs().count(), 1);
}

TEST_F(LifecycleTest, RemoveSwitchRemovesTheBackupsToo)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    start({"/backup", "Docs"});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(destination + "/Docs/Docs/a.txt"); }));
    ASSERT_TRUE(waitUntil([&] { return program->jobs().at(0)->isIdle(); }));
    stop();
    start({"/remove", "Docs"});
    EXPECT_TRUE(shownTexts().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs"));
    EXPECT_EQ(program->jobs().count(), 0);
    const QString events = eventsAfterTick();
    EXPECT_TRUE(events.contains("The backup folder has been removed successfully on the storage device."));
    EXPECT_TRUE(events.contains("Job is removed."));
}

TEST_F(LifecycleTest, RestoreAndImportAtTheFirstShowing)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    // The restore asks for its output folder first; cancelled there, it ends without a word.
    FolderChooserHook::clearAnswers();
    FolderChooserHook::answerNext(QString());
    start({"/restore", "Docs"});
    EXPECT_TRUE(shownTexts().isEmpty());
    ASSERT_EQ(FolderChooserHook::asked().size(), 1);
    EXPECT_EQ(FolderChooserHook::asked().first().Title, "Choose an output directory");
    EXPECT_TRUE(program->jobs().at(0)->isIdle());
    stop();

    // The import dialog opens with the job file in its path field.
    MessageDialogHook::clearShown();
    const QString jobFile = root + "/usb/Docs.kxj";
    QString shownPath;
    ModalSteps::whenShown("frmOpenJobDialog", [&shownPath](QWidget& dialog) {
        shownPath = ModalSteps::child<QLineEdit>(dialog, "edJobFile")->text();
        ModalSteps::click(dialog, "btCancel");
    });
    start({jobFile});
    EXPECT_EQ(shownPath, jobFile);
    EXPECT_TRUE(shownTexts().isEmpty());
    stop();

    // Only the extension as written counts.
    MessageDialogHook::clearShown();
    start({root + "/usb/Docs.KXJ"});
    EXPECT_TRUE(shownTexts().isEmpty());
}

} // namespace
