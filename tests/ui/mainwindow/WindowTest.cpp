#include "i18n/Translate.h"
#include "MainWindowFixture.h"
#include "scheduler/RunControl.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QSplitter>

namespace {

TEST_F(MainWindowTest, CaptionsFollowTheInterfaceLanguage)
{
    // The interface language is that of the global options.
    TLanguageOptions& language = GlobalOptions.Language;
    language.iLanguage = 1;
    language.Translations = {
        {"Backup", "File", "Title", "Jobs", "Events", "Import", "Save to file..."},
        {"Sichern", "Datei", "Titel", "Aufträge", "Ereignisse", "Importieren", "Speichern..."}};
    TfrmMainOstrinBackup& w = open();
    language.iLanguage = 0;
    EXPECT_EQ(action("ActionBackup")->text(), "Sichern");
    EXPECT_EQ(child<QToolButton>("btBackup")->accessibleName(), "Sichern");
    EXPECT_EQ(action("ActionImport")->text(), "Importieren...");
    EXPECT_EQ(child<QMenu>("menuFile")->title(), "Datei");
    EXPECT_EQ(child<QHeaderView>("hdJobsList")->model()->headerData(0, Qt::Horizontal).toString(), "Titel");
    EXPECT_EQ(child<QLabel>("lbEvents")->text(), "Ereignisse");
    EXPECT_EQ(child<QToolButton>("btSaveEvents")->toolTip(), "Speichern...");
    EXPECT_EQ(child<QLabel>("lbStatusJobs")->text(), "Aufträge: 0");

    w.TranslateMainWindow(); // the language is English again
    EXPECT_EQ(action("ActionBackup")->text(), "Backup");
    EXPECT_EQ(child<QMenu>("menuFile")->title(), "File");
    EXPECT_EQ(child<QLabel>("lbStatusJobs")->text(), "Jobs: 0");
}

TEST_F(MainWindowTest, LastColumnTakesTheRestOfTheListsWidth)
{
    addJob("Docs");
    TfrmMainOstrinBackup& w = open();
    w.resize(904, 515);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QHeaderView* header = child<QHeaderView>("hdJobsList");
    EXPECT_EQ(header->sectionSize(0), 150);
    EXPECT_EQ(header->sectionSize(1), 340);
    EXPECT_EQ(header->sectionSize(2), 80);
    const auto rest = [&] { return list()->viewport()->width() - 570; };
    EXPECT_EQ(header->sectionSize(3), rest());
    w.resize(1200, 515);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->viewport()->width() > 1000; }));
    EXPECT_EQ(header->sectionSize(3), rest());
}

TEST_F(MainWindowTest, EventsHeightIsKeptForTheSavedLayout)
{
    TfrmMainOstrinBackup& w = open();
    w.setEventsHeight(170);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.eventsHeight(), 170);
    w.setEventsHeight(90);
    EXPECT_EQ(w.eventsHeight(), 90);
    w.resize(904, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.height() == 700; }));
    EXPECT_EQ(w.eventsHeight(), 90) << "a taller window gives the room to the list";
}

TEST_F(MainWindowTest, ShowAndCloseAskTheProgram)
{
    int shown = 0;
    bool mayClose = false;
    int quits = 0;
    services.Shown = [&shown] { ++shown; };
    services.CloseQuery = [&mayClose] { return mayClose; };
    services.Quit = [&quits] { ++quits; };
    TfrmMainOstrinBackup& w = open();
    w.show();
    EXPECT_EQ(shown, 1);
    action("ActionMinimize")->trigger();
    EXPECT_TRUE(w.isVisible()) << "the program kept it (it hides it itself)";
    action("ActionQuit")->trigger();
    EXPECT_EQ(quits, 1);
    mayClose = true;
    EXPECT_TRUE(w.close());
    w.show();
    EXPECT_EQ(shown, 2);
}

TEST_F(MainWindowTest, DoubleClickOpensTheSettingsOfTheRow)
{
    addJob("Alpha");
    addJob("Beta", jsRunning);
    QStringList opened;
    services.Settings = [&opened](TJob& job) { opened.append(job.stJobName); };
    TfrmMainOstrinBackup& w = open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint second = list()->visualRect(list()->model()->index(1, 0)).center();
    // As the system delivers it: a click, then the double click.
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(opened, QStringList{"Beta"}) << "the settings command refuses a running job itself";
    EXPECT_EQ(w.selectedJob()->stJobName, "Beta");
}

TEST_F(MainWindowTest, LogArrowRefusesABusyJob)
{
    TJob& job = addJob("Docs");
    job.LogList.assign({"2024-03-01 10;00;00"});
    TfrmMainOstrinBackup& w = open();
    w.selectJob(0);
    h.Scheduler.TickInProgress = true;
    QMenu* menu = child<QMenu>("pmLogs");
    Q_EMIT menu->aboutToShow();
    EXPECT_TRUE(menu->actions().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([] { return !MessageDialogHook::shown().isEmpty(); }));
    EXPECT_EQ(shownTexts(), QStringList{TRunControl::RefusalText()});
}

} // namespace
