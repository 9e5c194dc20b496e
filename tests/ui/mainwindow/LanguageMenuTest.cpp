// The "Language" menu on the whole program: German re-labels the main window at once, is kept in the
// options, and is the language of runs started afterwards while a run already going keeps English.
#include "app/TrayIcon.h"
#include "options/uOptions.h"
#include "platform/ConfigurationFile.h"
#include "support/gui/AppFixture.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace {

class LanguageMenuTest : public AppFixture
{
protected:
    template <class T> T* child(const char* name)
    {
        return program->mainWindow().findChild<T*>(QString::fromLatin1(name));
    }
    QStringList menuBarTitles()
    {
        QStringList titles;
        for (const QAction* action : program->mainWindow().menuBar()->actions())
            titles.append(action->text());
        return titles;
    }
    QStringList headerLabels()
    {
        const QAbstractItemModel* model = child<QHeaderView>("hdJobsList")->model();
        QStringList labels;
        for (int section = 0; section < model->columnCount(); ++section)
            labels.append(model->headerData(section, Qt::Horizontal).toString());
        return labels;
    }
    void chooseLanguage(int index)
    {
        QMenu* menu = child<QMenu>("menuLanguage");
        Q_EMIT menu->aboutToShow();
        QAction* action = menu->findChild<QAction*>(QStringLiteral("ActionLanguage%1").arg(index));
        ASSERT_NE(action, nullptr);
        action->trigger();
    }
    // Starts "Backup" on the only job (the tick starts the run at once), calls `whileRunning` while the
    // run waits in a pause (when given), and waits for the run's end; the run's log.
    QString backup(const std::function<void()>& whileRunning = {})
    {
        TJob* job = program->jobs().at(0);
        program->mainWindow().selectJob(0);
        trigger("ActionBackup");
        program->scheduler().TimerSchedulerTimer();
        EXPECT_EQ(job->JobStatus.load(), jsRunning);
        if (whileRunning) {
            trigger("ActionPause");
            EXPECT_TRUE(waitUntil([&] { return job->WaitingWhilePaused.load(); }));
            whileRunning();
            trigger("ActionResume");
        }
        EXPECT_TRUE(
            waitUntil([&] { return job->JobStatus.load() == jsNone && job->LastJobResult.EndTime > 0; }));
        return job->LastJobResult.Log.snapshot().join('\n');
    }
};

TEST_F(LanguageMenuTest, GermanRelabelsTheWindowAndRunsStartedAfterwards)
{
    createFilesJob("Docs", {{"a.txt", 1000}, {"b.txt", 2000}});
    start();
    EXPECT_EQ(menuBarTitles(), QStringList({"File", "Edit", "Run", "Language", "Help"}));
    QMenu* menu = child<QMenu>("menuLanguage");
    Q_EMIT menu->aboutToShow();
    QStringList offered;
    for (const QAction* action : menu->actions()) {
        offered.append(action->text());
        EXPECT_EQ(action->isChecked(), action->text() == "English") << action->text().toStdString();
    }
    EXPECT_EQ(offered, QStringList({"English", "Deutsch"}));

    // A run started in English keeps English to its end, though German is chosen while it runs.
    const QString englishLog = backup([&] { chooseLanguage(1); });
    EXPECT_TRUE(englishLog.contains("Connecting to the external drive.")) << englishLog.toStdString();
    EXPECT_TRUE(englishLog.contains("Backup job \"Docs\" is finished.")) << englishLog.toStdString();
    EXPECT_TRUE(englishLog.contains("Disconnecting from device.")) << englishLog.toStdString();
    EXPECT_FALSE(englishLog.contains("Sicherung")) << englishLog.toStdString();

    // The window follows at once: menus, toolbar, list header and status bar.
    EXPECT_EQ(menuBarTitles(), QStringList({"Datei", "Bearbeiten", "Ausführen", "Sprache", "Hilfe"}));
    EXPECT_EQ(child<QToolButton>("btNewJob")->text(), "Neuer Auftrag");
    EXPECT_EQ(child<QToolButton>("btBackup")->text(), "Sichern");
    EXPECT_EQ(child<QToolButton>("btRestore")->text(), "Wiederherstellen");
    EXPECT_EQ(child<QAction>("ActionQuit")->text(), "Beenden");
    EXPECT_EQ(program->tray().openAction()->text(), "Öffnen");
    EXPECT_EQ(headerLabels(), QStringList({"Name", "Vorgang", "Status", "Letztes Ergebnis"}));
    program->scheduler().TimerSchedulerTimer();
    EXPECT_TRUE(child<QLabel>("lbStatusJobs")->text().startsWith("Aufträge"))
        << child<QLabel>("lbStatusJobs")->text().toStdString();
    EXPECT_TRUE(rowText(0).contains("Beendet am")) << rowText(0).toStdString();

    // The choice is kept in the options file.
    QByteArray plain;
    ASSERT_EQ(ReadScrambledFile(OptionsFilePath(), plain), TScrambledReadStatus::Ok);
    TOptions saved;
    ParseOptions(plain, saved);
    EXPECT_EQ(saved.Language.LanguageOfInterface, "de");

    // A run started now writes its log in German.
    const QString germanLog = backup();
    EXPECT_TRUE(germanLog.contains("Verbindung zum externen Laufwerk.")) << germanLog.toStdString();
    EXPECT_TRUE(germanLog.contains("Der Sicherungsauftrag „Docs“ ist abgeschlossen."))
        << germanLog.toStdString();
    EXPECT_TRUE(germanLog.contains("Die Verbindung zum Gerät wird getrennt.")) << germanLog.toStdString();
    EXPECT_FALSE(germanLog.contains("Backup job")) << germanLog.toStdString();

    // And back to English.
    chooseLanguage(0);
    EXPECT_EQ(child<QToolButton>("btBackup")->text(), "Backup");
    EXPECT_EQ(menuBarTitles(), QStringList({"File", "Edit", "Run", "Language", "Help"}));
}

TEST_F(LanguageMenuTest, TheSavedLanguageIsActiveAtTheNextStart)
{
    start();
    chooseLanguage(1);
    stop();
    start();
    EXPECT_EQ(child<QToolButton>("btBackup")->text(), "Sichern");
    EXPECT_EQ(child<QMenu>("menuLanguage")->title(), "Sprache");
}

} // namespace
