#include "MainWindowFixture.h"

#include <QMenuBar>
#include <QTest>
#include <QToolButton>

namespace {

const char* const kIdleCommands[] = {"ActionBackup",  "ActionRestore",  "ActionVerify",
                                     "ActionRemove",  "ActionSettings", "ActionRename",
                                     "ActionHistory", "ActionLog",      "ActionDuplicate"};
const char* const kAlwaysAvailable[] = {"ActionPauseAll", "ActionCancelAll", "ActionNewJob",  "ActionCreate",
                                        "ActionImport",   "ActionOptions",   "ActionSupport", "ActionWebsite",
                                        "ActionAbout",    "ActionQuit",      "ActionMinimize"};

TEST_F(MainWindowTest, CommandsFollowTheSelectedJobsStatus)
{
    const struct
    {
        const char* name;
        int select; // -1: none
        TJobStatus status;
        bool idleCommands;
        bool runCommands;
        const char* popup; // nullptr: no right-click menu
        const char* pauseItem;
    } cases[] = {
        {"no selection", -1, jsNone, false, false, nullptr, "ActionPause"},
        {"idle", 0, jsNone, true, false, "pmJob", "ActionPause"},
        {"waiting", 0, jsWaiting, false, true, "pmRun", "ActionPause"},
        {"running", 0, jsRunning, false, true, "pmRun", "ActionPause"},
        {"paused", 0, jsPaused, false, true, "pmRun", "ActionResume"},
    };
    TJob& job = addJob("Docs");
    addJob("Other");
    TfrmMainOstrinBackup& w = open();
    for (const auto& c : cases) {
        job.JobStatus.store(c.status);
        w.selectJob(c.select);
        w.Refresh(TTickCounts{});
        for (const char* name : kIdleCommands)
            EXPECT_EQ(action(name)->isEnabled(), c.idleCommands) << c.name << ' ' << name;
        EXPECT_EQ(child<QMenu>("menuEdit")->menuAction()->isEnabled(), c.idleCommands) << c.name;
        for (const char* name : {"ActionPause", "ActionResume", "ActionCancel"})
            EXPECT_EQ(action(name)->isEnabled(), c.runCommands) << c.name << ' ' << name;
        for (const char* name : kAlwaysAvailable)
            EXPECT_TRUE(action(name)->isEnabled()) << c.name << ' ' << name;
        QMenu* popup = w.contextMenuForSelection();
        EXPECT_EQ(popup ? popup->objectName() : QString(), c.popup ? QString(c.popup) : QString()) << c.name;
        for (const char* menu : {"menuRun", "pmRun"}) {
            const QList<QAction*> items = child<QMenu>(menu)->actions();
            const QString other = QString(c.pauseItem) == "ActionPause" ? "ActionResume" : "ActionPause";
            EXPECT_TRUE(items.contains(action(c.pauseItem))) << c.name << ' ' << menu;
            EXPECT_FALSE(items.contains(w.findChild<QAction*>(other))) << c.name << ' ' << menu;
            EXPECT_EQ(items.indexOf(action(c.pauseItem)), menu == QString("menuRun") ? 4 : 0)
                << c.name << ' ' << menu;
        }
    }
    // Cancelling changes nothing: the run items stay as the previous state left them.
    job.JobStatus.store(jsCancelling);
    w.Refresh(TTickCounts{});
    EXPECT_TRUE(action("ActionCancel")->isEnabled());
    EXPECT_TRUE(child<QMenu>("menuRun")->actions().contains(action("ActionResume")));
    EXPECT_EQ(w.contextMenuForSelection()->objectName(), "pmRun");
    EXPECT_FALSE(action("ActionBackup")->isEnabled());
    job.JobStatus.store(jsNone);
    w.Refresh(TTickCounts{});
    job.JobStatus.store(jsCancelling);
    w.Refresh(TTickCounts{});
    EXPECT_FALSE(action("ActionCancel")->isEnabled());
    EXPECT_EQ(w.contextMenuForSelection()->objectName(), "pmJob");
}

// "Verify" sits beside "Restore" in the "Run" menu and the idle job's menu; it is offered for the jobs
// whose backups record checksums, never for a drive image job.
TEST_F(MainWindowTest, VerifyFollowsRestoreForFilesJobsOnly)
{
    const struct
    {
        const char* name;
        bool image;
        TJobStatus status;
        bool restore;
        bool verify;
    } cases[] = {
        {"idle files job", false, jsNone, true, true},
        {"running files job", false, jsRunning, false, false},
        {"paused files job", false, jsPaused, false, false},
        {"idle image job", true, jsNone, true, false},
        {"running image job", true, jsRunning, false, false},
    };
    TJob& files = addJob("Docs");
    TJob& image = h.addImage("Disk");
    TfrmMainOstrinBackup& w = open();
    for (const auto& c : cases) {
        TJob& job = c.image ? image : files;
        job.JobStatus.store(c.status);
        w.selectJob(h.Jobs.indexOfName(job.stJobName));
        w.Refresh(TTickCounts{});
        EXPECT_EQ(action("ActionRestore")->isEnabled(), c.restore) << c.name;
        EXPECT_EQ(action("ActionVerify")->isEnabled(), c.verify) << c.name;
        job.JobStatus.store(jsNone);
    }
    for (const char* menu : {"menuRun", "pmJob"}) {
        const QList<QAction*> items = child<QMenu>(menu)->actions();
        EXPECT_EQ(items.indexOf(action("ActionVerify")), items.indexOf(action("ActionRestore")) + 1) << menu;
    }
    EXPECT_FALSE(child<QMenu>("pmRun")->actions().contains(action("ActionVerify")));
}

TEST_F(MainWindowTest, OnlyUpAndDownMoveTheSelectionAndEveryKeyIsConsumed)
{
    addJob("Alpha");
    addJob("Beta");
    addJob("Gamma");
    TfrmMainOstrinBackup& w = open();
    w.show();
    list()->setFocus();
    const auto selectedName = [&w] { return w.selectedJob() ? w.selectedJob()->stJobName : QString(); };
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(selectedName(), "") << "nothing above no selection";
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(selectedName(), "Alpha");
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(selectedName(), "Alpha") << "Up on the first row";
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(selectedName(), "Gamma") << "Down on the last row";
    for (const Qt::Key key :
         {Qt::Key_A, Qt::Key_B, Qt::Key_Home, Qt::Key_PageUp, Qt::Key_Space, Qt::Key_Return})
        QTest::keyClick(list(), key);
    EXPECT_EQ(selectedName(), "Gamma") << "a letter does not jump to Alpha or Beta";
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(selectedName(), "Beta");
}

TEST_F(MainWindowTest, RightClickSelectsTheRowOrClearsBelowTheLast)
{
    addJob("Alpha");
    addJob("Beta", jsRunning);
    TfrmMainOstrinBackup& w = open();
    w.resize(900, 500);
    w.show();
    const QRect second = list()->visualRect(list()->model()->index(1, 0));
    QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, second.center());
    ASSERT_NE(w.selectedJob(), nullptr);
    EXPECT_EQ(w.selectedJob()->stJobName, "Beta");
    EXPECT_EQ(w.contextMenuForSelection()->objectName(), "pmRun");
    EXPECT_FALSE(action("ActionSettings")->isEnabled());
    EXPECT_FALSE(action("ActionRemove")->isEnabled());
    QTest::mouseClick(list()->viewport(), Qt::RightButton, {},
                      second.center() + QPoint(0, 3 * second.height()));
    EXPECT_EQ(w.selectedJob(), nullptr);
    EXPECT_EQ(w.contextMenuForSelection(), nullptr);
}

TEST_F(MainWindowTest, EveryControlIsNamedAndNoButtonIsBlank)
{
    addJob("Alpha");
    TfrmMainOstrinBackup& w = open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (QToolButton* button : w.findChildren<QToolButton*>()) {
        if (!button->isVisible())
            continue;
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->icon().pixmap(48).isNull()) << button->objectName().toStdString();
    }
    for (const char* name : {"lbJobsList", "memoEvents", "hdJobsList"})
        EXPECT_FALSE(child<QWidget>(name)->accessibleName().isEmpty()) << name;
    EXPECT_EQ(child<QToolButton>("btNewJob")->text(), "New Job");
    EXPECT_EQ(action("ActionImport")->text(), "Import...");
    EXPECT_EQ(child<QMenu>("pmNewJob")->defaultAction(), action("ActionCreate"));
    EXPECT_EQ(child<QWidget>("tbMain")->height(), TfrmMainOstrinBackup::kToolbarHeight);
}

TEST_F(MainWindowTest, StatusBarShowsTheTickCounts)
{
    addJob("Alpha");
    TfrmMainOstrinBackup& w = open();
    w.Refresh(TTickCounts{3, 1, 2});
    EXPECT_EQ(child<QLabel>("lbStatusJobs")->text(), "Jobs: 3");
    EXPECT_EQ(child<QLabel>("lbStatusRunning")->text(), "Running: 1");
    EXPECT_EQ(child<QLabel>("lbStatusCancelled")->text(), "Cancelled: 2");
    EXPECT_EQ(child<QLabel>("lbStatusInfo")->text(), "No backup is scheduled");
    EXPECT_GE(child<QLabel>("lbStatusJobs")->width(),
              child<QLabel>("lbStatusJobs")->fontMetrics().horizontalAdvance("Jobs: 1000"));
}

} // namespace
