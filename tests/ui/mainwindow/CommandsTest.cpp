#include "jobs/uJob_DriveImage.h"
#include "MainWindowFixture.h"
#include "scheduler/RunControl.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

QString refusal()
{
    return TRunControl::RefusalText();
}

TEST_F(MainWindowTest, BackupMakesAnIdleJobWaitingAndRefusesOthers)
{
    TJob& job = addJob("Docs");
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    action("ActionBackup")->trigger();
    EXPECT_EQ(job.JobStatus.load(), jsWaiting);
    EXPECT_EQ(StartedByHand, QStringList{"Docs"});
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());

    job.JobStatus.store(jsRunning);
    action("ActionBackup")->trigger(); // a disabled action does nothing; the command itself refuses
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());
    action("ActionBackup")->setEnabled(true);
    action("ActionBackup")->trigger();
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().at(0).Text, refusal());
    EXPECT_TRUE(MessageDialogHook::shown().at(0).Plain);
    EXPECT_EQ(job.JobStatus.load(), jsRunning);
    EXPECT_EQ(StartedByHand.size(), 1);
}

TEST_F(MainWindowTest, PauseResumeAndCancelActOnTheSelectedJob)
{
    TJob& job = addJob("Docs", jsRunning);
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    action("ActionPause")->trigger();
    EXPECT_EQ(job.JobStatus.load(), jsPaused);
    EXPECT_TRUE(child<QMenu>("menuRun")->actions().contains(action("ActionResume"))) << "bound at once";
    action("ActionResume")->trigger();
    EXPECT_EQ(job.JobStatus.load(), jsRunning);
    h.Scheduler.TickInProgress = true;
    action("ActionCancel")->trigger();
    EXPECT_EQ(job.JobStatus.load(), jsRunning);
    EXPECT_EQ(shownTexts(), QStringList{refusal()});
    h.Scheduler.TickInProgress = false;
    action("ActionCancel")->trigger();
    EXPECT_EQ(job.JobStatus.load(), jsCancelling);
}

TEST_F(MainWindowTest, HistoryIsWrittenAndOpenedWithoutRunLogNavigation)
{
    TJob& job = addJob("Docs");
    job.BackupHistory.append(QStringLiteral("04.03.2024 10:00:00: Backup started. Größe"));
    job.BackupHistory.append(QStringLiteral("04.03.2024 10:05:00: Finished."));
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    action("ActionHistory")->trigger();
    ASSERT_EQ(Reports.size(), 1);
    EXPECT_EQ(Reports[0].Path, LogFolder + "/history - Docs.txt");
    EXPECT_FALSE(Reports[0].ShowErrorsWarnings);
    EXPECT_EQ(
        TestEnvironment::readFile(Reports[0].Path),
        QByteArray("\xEF\xBB\xBF") +
            QStringLiteral("04.03.2024 10:00:00: Backup started. Größe\r\n04.03.2024 10:05:00: Finished.\r\n")
                .toUtf8());

    job.JobStatus.store(jsWaiting);
    action("ActionHistory")->setEnabled(true);
    action("ActionHistory")->trigger();
    EXPECT_EQ(Reports.size(), 1);
    EXPECT_EQ(shownTexts(), QStringList{refusal()});
}

TEST_F(MainWindowTest, LogOpensTheNewestRunLogOrSaysItIsMissing)
{
    TJob& job = addJob("Docs");
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    action("ActionLog")->trigger();
    EXPECT_TRUE(Reports.isEmpty()) << "no run logs: nothing happens";
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());

    job.LogList.assign({"2024-03-01 10;00;00", "2024-03-04 10;00;00"});
    const QString newest = LogFolder + "/Docs/2024-03-04 10;00;00.txt";
    action("ActionLog")->trigger();
    EXPECT_TRUE(Reports.isEmpty());
    EXPECT_EQ(shownTexts(), QStringList{"Log file does not exist: " + newest});
    EXPECT_TRUE(MessageDialogHook::shown().at(0).Plain);

    TestEnvironment::writeFile(newest, "run log");
    action("ActionLog")->trigger();
    ASSERT_EQ(Reports.size(), 1);
    EXPECT_EQ(Reports[0].Path, newest);
    EXPECT_TRUE(Reports[0].ShowErrorsWarnings);
}

TEST_F(MainWindowTest, LogArrowListsTheNewestThirtyOldestFirst)
{
    TJob& job = addJob("Docs");
    QStringList names;
    for (int i = 1; i <= 45; ++i)
        names.append(QStringLiteral("2024-03-%1 10;00;00").arg(i % 28 + 1, 2, 10, QLatin1Char('0')) +
                     QString::number(i));
    job.LogList.assign(names);
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    QMenu* menu = child<QMenu>("pmLogs");
    Q_EMIT menu->aboutToShow();
    const QList<QAction*> entries = menu->actions();
    ASSERT_EQ(entries.size(), 30);
    EXPECT_EQ(entries.first()->text(), QString(names[15]).replace(';', ':'));
    EXPECT_EQ(entries.last()->text(), QString(names[44]).replace(';', ':'));

    const QString chosen = LogFolder + "/Docs/" + names[20] + ".txt";
    TestEnvironment::writeFile(chosen, "run log");
    entries[5]->trigger();
    ASSERT_EQ(Reports.size(), 1);
    EXPECT_EQ(Reports[0].Path, chosen);
    EXPECT_TRUE(Reports[0].ShowErrorsWarnings);
    entries[6]->trigger();
    EXPECT_EQ(shownTexts(),
              QStringList{"Log file does not exist: " + LogFolder + "/Docs/" + names[21] + ".txt"});
}

TEST_F(MainWindowTest, RestoreOfADriveImageWaitsUntilNoJobRuns)
{
    auto image = std::make_unique<TJob_DriveImage>("System");
    h.Jobs.append(std::move(image));
    TJob& other = addJob("Docs", jsRunning);
    QStringList restored;
    services.Restore = [&restored](TJob& job) { restored.append(job.stJobName); };
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    action("ActionRestore")->trigger();
    EXPECT_TRUE(restored.isEmpty());
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().at(0).Text, "Some jobs are currently running.");
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtError);

    other.JobStatus.store(jsNone);
    action("ActionRestore")->trigger();
    EXPECT_EQ(restored, QStringList{"System"});
    other.JobStatus.store(jsRunning);
    w.selectJob(1);
    action("ActionRestore")->setEnabled(true);
    action("ActionRestore")->trigger();
    EXPECT_EQ(restored, QStringList{"System"});
    EXPECT_EQ(MessageDialogHook::shown().last().Text, refusal());
}

TEST_F(MainWindowTest, CommandsWithoutTheirWindowSaySoAndServicesGetTheSelectedJob)
{
    addJob("Docs");
    QStringList calls;
    services.Settings = [&calls](TJob& job) { calls.append("Settings " + job.stJobName); };
    services.NewJob = [&calls] { calls.append("NewJob"); };
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    action("ActionSettings")->trigger();
    action("ActionCreate")->trigger();
    action("ActionNewJob")->trigger();
    EXPECT_EQ(calls, (QStringList{"Settings Docs", "NewJob", "NewJob"}));
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());
    action("ActionOptions")->trigger();
    action("ActionRename")->trigger();
    ASSERT_EQ(MessageDialogHook::shown().size(), 2);
    EXPECT_EQ(MessageDialogHook::shown().at(0).Text, "This command is not available yet.");
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtInformation);
    MessageDialogHook::clearShown();
    action("ActionAbout")->trigger();
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_TRUE(MessageDialogHook::shown().at(0).Text.startsWith("Zorvan Backup\nVersion: 1.0\n"));
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtInformation);

    TUrlRecorder browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    action("ActionSupport")->trigger();
    action("ActionWebsite")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.Urls, (QList<QUrl>{QUrl("https://zorvanbackup.example/support"),
                                         QUrl("https://zorvanbackup.example/")}));
}

TEST_F(MainWindowTest, MoveButtonsReorderAndSaveTheList)
{
    addJob("Alpha");
    addJob("Beta");
    QDir().mkpath(QFileInfo(JobsListFilePath()).path()); // the program made its data folder at start
    TfrmMainOstrinBackup& w = open();
    w.selectJob(1);
    child<QToolButton>("btMoveUp")->click();
    EXPECT_EQ(h.Jobs.at(0)->stJobName, "Beta");
    EXPECT_EQ(w.selectedJob()->stJobName, "Beta") << "the moved job stays selected";
    EXPECT_FALSE(child<QToolButton>("btMoveUp")->isEnabled());
    EXPECT_EQ(TestEnvironment::readFile(JobsListFilePath()), "\xEF\xBB\xBF"
                                                             "Beta\r\nAlpha\r\n");
}

} // namespace
