// A real mirror job to a local folder driven from the window: "Backup" on the selected row, the row's
// texts and colours while it runs, is paused, finishes and is cancelled; "Quit" and closing the window
// while it runs.
#include "app/TrayIcon.h"
#include "base/AppState.h"
#include "support/gui/AppFixture.h"
#include "support/QtPrinters.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/JobRowText.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/mainwindow/TJobListModel.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>

namespace {

// Large enough that copying it spans several ticks; written with data, so the copy reads it all.
constexpr qint64 kBigFileBytes = qint64(1) << 30;

class JobRunTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        createFilesJob("Movies", {{"big.bin", kBigFileBytes}});
        start();
        job = program->jobs().at(0);
        program->mainWindow().selectJob(0);
    }
    const TJobRowCells& cells() { return static_cast<TJobListModel*>(jobList().model())->cells(0); }
    // Starts the backup with "Backup" and returns while its file is being copied.
    void startCopying()
    {
        trigger("ActionBackup");
        ASSERT_TRUE(waitUntil(
            [&] {
                const int progress = job->CurrentFileOperationProgress.load();
                return progress > 0 && progress < 90;
            },
            60000));
    }
    // The same, then pauses it; the run waits in its pause once the file is copied.
    void startAndPause()
    {
        startCopying();
        trigger("ActionPause");
        ASSERT_TRUE(waitUntil([&] { return job->WaitingWhilePaused.load(); }));
    }
    bool runMenuOffers(const char* actionName)
    {
        const auto* menu = program->mainWindow().findChild<QMenu*>(QStringLiteral("menuRun"));
        for (const QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String(actionName))
                return true;
        }
        return false;
    }

    TJob* job = nullptr;
};

TEST_F(JobRunTest, BackupPauseResumeFinishAndCancelInTheRow)
{
    startCopying();
    // A tick while the file is being copied.
    program->scheduler().TimerSchedulerTimer();
    EXPECT_TRUE(rowText(0).contains("Running")) << rowText(0).toStdString();
    EXPECT_TRUE(rowText(0).contains("Copying big.bin")) << rowText(0).toStdString();
    const int progress = cells().Progress;
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 100);
    EXPECT_TRUE(rowText(0).contains(QString::number(progress) + '%')) << rowText(0).toStdString();
    EXPECT_TRUE(runMenuOffers("ActionPause"));

    // Within a tick the row shows the pause and the menu offers "Resume" instead of "Pause".
    trigger("ActionPause");
    ASSERT_TRUE(waitUntil([&] { return rowText(0).contains("Paused"); }, 1500)) << rowText(0).toStdString();
    EXPECT_TRUE(runMenuOffers("ActionResume"));
    EXPECT_FALSE(runMenuOffers("ActionPause"));
    ASSERT_TRUE(waitUntil([&] { return job->WaitingWhilePaused.load(); }));

    trigger("ActionResume");
    ASSERT_TRUE(waitUntil([&] { return rowText(0).contains("Finished on"); }, 120000))
        << rowText(0).toStdString();
    EXPECT_EQ(cells().LastResultColour, QColor(0x74, 0xE6, 0x89));
    EXPECT_EQ(QFile(destination + "/Movies/Movies/big.bin").size(), kBigFileBytes);

    // A newer source file is copied again; "Cancel" ends that run.
    QFile source(sourceRoot + "/Movies/big.bin");
    ASSERT_TRUE(source.open(QIODevice::ReadWrite));
    source.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    source.close();
    startCopying();
    trigger("ActionCancel");
    ASSERT_TRUE(waitUntil([&] { return rowText(0).contains("Cancelled on"); }, 60000))
        << rowText(0).toStdString();
    EXPECT_EQ(cells().LastResultColour, QColor(0xFF, 0xCE, 0xCE));
}

TEST_F(JobRunTest, CloseOnlyHidesWhileAJobRuns)
{
    startAndPause();
    program->mainWindow().close();
    // Hidden, or minimized where there is no notification area to bring it back from.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        EXPECT_FALSE(program->mainWindow().isVisible());
    else
        EXPECT_TRUE(program->mainWindow().isMinimized());
    EXPECT_FALSE(program->lifecycle().isWindowShown());
    EXPECT_FALSE(program->lifecycle().ended());
    EXPECT_FALSE(AppTerminating.load());
    EXPECT_EQ(job->JobStatus.load(), jsPaused);

    // A second start's "show" brings it up again.
    program->lifecycle().ShowRequested();
    EXPECT_TRUE(program->lifecycle().isWindowShown());
}

TEST_F(JobRunTest, QuitWithARunningJobAsksCancelsAndWaits)
{
    startAndPause();
    // "No" keeps everything as it was.
    MessageDialogHook::answerNext(mrNo);
    trigger("ActionQuit");
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    const MessageDialogHook::TShownMessage asked = MessageDialogHook::shown().at(0);
    EXPECT_EQ(asked.Text,
              QStringLiteral("Some jobs are currently running.\nDo you want to cancel them and quit?"));
    EXPECT_EQ(asked.Kind, mtConfirmation);
    EXPECT_EQ(asked.Buttons, mbYesNo);
    EXPECT_FALSE(program->lifecycle().ended());
    EXPECT_EQ(job->JobStatus.load(), jsPaused);

    MessageDialogHook::answerNext(mrYes);
    QElapsedTimer elapsed;
    elapsed.start();
    trigger("ActionQuit");
    EXPECT_TRUE(program->lifecycle().ended());
    EXPECT_TRUE(AppTerminating.load());
    EXPECT_LE(elapsed.elapsed(), 5000 + 1000);
    // The paused run was cancelled and has ended within the wait.
    EXPECT_TRUE(job->isIdle());
    EXPECT_TRUE(job->LastJobResult.Cancelled.load());
    const auto* memo = program->mainWindow().findChild<QPlainTextEdit*>(QStringLiteral("memoEvents"));
    EXPECT_TRUE(memo->toPlainText().contains("Do you want to cancel them and quit?"));
    EXPECT_FALSE(program->mainWindow().isVisible());
}

TEST_F(JobRunTest, QuitWithoutRunningJobs)
{
    MessageDialogHook::answerNext(mrNo);
    trigger("ActionQuit");
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().at(0).Text, QStringLiteral("Quit Zorvan Backup?"));
    EXPECT_FALSE(program->lifecycle().ended());
    EXPECT_TRUE(program->mainWindow().isVisible());
    // The tray's "Quit" is the same command.
    MessageDialogHook::answerNext(mrYes);
    program->tray().quitAction()->trigger();
    EXPECT_TRUE(program->lifecycle().ended());
}

} // namespace
