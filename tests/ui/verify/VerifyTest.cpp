// "Verify" from the main window on a real incremental job backed up to a local folder: the run shows
// in the job's row, a copy damaged on the storage is named in the run log and counted in the closing
// line of the log, the history and the events panel; a storage that cannot be reached gives its
// message at once.
#include "support/gui/AppFixture.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/JobRowText.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/mainwindow/TJobListModel.h"

#include <QDir>
#include <QDirIterator>
#include <QPlainTextEdit>

namespace {

// Large enough that reading it again spans a pause taken as the reading starts.
constexpr qint64 kBigFileBytes = qint64(512) << 20;

class VerifyTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        createFilesJob("Docs", {{"big.bin", kBigFileBytes}, {"small.txt", 3000}}, "incremental");
        start();
        job = program->jobs().at(0);
        program->mainWindow().selectJob(0);
    }
    void backUp()
    {
        trigger("ActionBackup");
        ASSERT_TRUE(waitUntil([&] { return rowText(0).contains("Finished on"); }, 120000))
            << rowText(0).toStdString();
    }
    // The stored copy of `name` (one backup: one copy).
    QString storedCopy(const QString& name)
    {
        QDirIterator it(destination, {name}, QDir::Files, QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : QString();
    }
    // The verification has read part of the big file (the fetch of a checksums file before it leaves
    // 100 behind).
    bool reading()
    {
        const int progress = job->CurrentFileOperationProgress.load();
        return job->JobOperation.load() == joVerify && progress > 0 && progress < 90;
    }
    QString eventsText()
    {
        program->scheduler().TimerSchedulerTimer();
        return program->mainWindow().findChild<QPlainTextEdit*>(QStringLiteral("memoEvents"))->toPlainText();
    }

    TJob* job = nullptr;
};

TEST_F(VerifyTest, ADamagedCopyIsNamedAndCountedWhileTheRowShowsTheVerification)
{
    backUp();
    const QString small = storedCopy("small.txt");
    ASSERT_FALSE(small.isEmpty());
    QByteArray content = TestEnvironment::readFile(small);
    content[100] = char(content[100] ^ 0x01);
    TestEnvironment::writeFile(small, content);

    trigger("ActionVerify");
    ASSERT_TRUE(waitUntil([&] { return reading(); }, 60000));
    trigger("ActionPause");
    ASSERT_TRUE(waitUntil([&] { return job->WaitingWhilePaused.load(); }, 60000));
    program->scheduler().TimerSchedulerTimer();
    const QString row = rowText(0);
    EXPECT_TRUE(row.contains("Verifying big.bin") || row.contains("Verifying small.txt"))
        << row.toStdString();
    EXPECT_TRUE(row.contains(QString::number(job->CurrentFileOperationProgress.load()) + '%'))
        << row.toStdString();
    EXPECT_FALSE(program->mainWindow().findChild<QAction*>("ActionVerify")->isEnabled());

    trigger("ActionResume");
    ASSERT_TRUE(waitUntil([&] { return rowText(0).contains("Finished with errors on"); }, 120000))
        << rowText(0).toStdString();
    const QString closing = "Verification of \"Docs\" finished: 2 files checked, 1 problems.";
    const QStringList log = job->LastJobResult.Log.snapshot();
    EXPECT_EQ(log.filter("ERROR:").size(), 1) << log.join('\n').toStdString();
    EXPECT_TRUE(log.filter("ERROR:").value(0).contains("small.txt")) << log.join('\n').toStdString();
    EXPECT_EQ(log.filter(closing).size(), 1) << log.join('\n').toStdString();
    EXPECT_EQ(
        job->BackupHistory.snapshot().filter("Verification finished: 2 files checked, 1 problems.").size(),
        1);
    EXPECT_TRUE(eventsText().contains(closing));
    // The run log was saved like a backup's.
    QDirIterator logs(job->JobOptions.Logging.PathForLogFiles, {job->LogList.snapshot().last() + ".txt"},
                      QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(logs.hasNext());
    const QString saved = QString::fromUtf8(TestEnvironment::readFile(logs.next()));
    EXPECT_TRUE(saved.contains(closing)) << saved.toStdString();
    EXPECT_TRUE(program->mainWindow().findChild<QAction*>("ActionVerify")->isEnabled());
}

TEST_F(VerifyTest, CancelEndsTheVerificationAsCancelled)
{
    backUp();
    trigger("ActionVerify");
    ASSERT_TRUE(waitUntil([&] { return reading(); }, 60000));
    trigger("ActionCancel");
    ASSERT_TRUE(waitUntil([&] { return rowText(0).contains("Cancelled on"); }, 60000))
        << rowText(0).toStdString();
    const QStringList log = job->LastJobResult.Log.snapshot();
    EXPECT_EQ(log.filter("Verification is cancelled.").size(), 1) << log.join('\n').toStdString();
    EXPECT_TRUE(log.filter("finished:").isEmpty()) << log.join('\n').toStdString();
    EXPECT_TRUE(eventsText().contains("\"Docs\" verification is cancelled."));
}

TEST_F(VerifyTest, AStorageThatCannotBeReachedIsSaidAtOnce)
{
    backUp();
    ASSERT_TRUE(QDir(destination).removeRecursively());
    trigger("ActionVerify");
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtError);
    EXPECT_TRUE(MessageDialogHook::shown().at(0).Text.startsWith("Unable to"))
        << MessageDialogHook::shown().at(0).Text.toStdString();
    EXPECT_TRUE(job->isIdle());
    EXPECT_TRUE(program->mainWindow().findChild<QAction*>("ActionVerify")->isEnabled());
}

} // namespace
