#pragma once
// The main window: toolbar, menus, the job list with its header bar, the events panel and the status
// bar. It holds no job state: every tick's Refresh reads the jobs again and sets which commands the
// selected job allows. Commands whose windows belong to the program go through TMainWindowServices.
//
// objectNames (for tests and the program):
//   actions   ActionNewJob, ActionCreate, ActionImport, ActionDuplicate, ActionSettings, ActionRename,
//             ActionRemove, ActionBackup, ActionRestore, ActionVerify, ActionHistory, ActionLog,
//             ActionPauseAll, ActionCancelAll, ActionOptions, ActionSupport, ActionWebsite, ActionAbout,
//             ActionPause, ActionResume, ActionCancel, ActionQuit, ActionMinimize
//   menus     menuFile, menuEdit, menuRun, menuLanguage (ActionLanguage0 English, ActionLanguage1 ...),
//   menuHelp; pmJob (right click on an idle job), pmRun (right
//             click on a waiting, running or paused job), pmNewJob ("New Job" arrow), pmLogs ("Log" arrow)
//   toolbar   tbMain with the buttons btNewJob, btRemove, btSettings, btRename, btBackup, btRestore,
//             btHistory, btLog, btOptions, btAbout
//   list      pnListHeader (bar) with hdJobsList (sections) and btMoveUp, btMoveDown; lbJobsList;
//             spEvents (splitter); the events panel pnEvents (see TEventsPanel.h: memoEvents, btSaveEvents)
//   status    lbStatusJobs, lbStatusRunning, lbStatusCancelled, lbStatusInfo
#include "scheduler/Scheduler.h"
#include "ui/mainwindow/MainWindowServices.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QHeaderView;
class QLabel;
class QListView;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class TEventsPanelWidget;
class TJobListModel;
class TRunControl;

class TfrmMainOstrinBackup : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMainOstrinBackup(const TMainWindowServices& services, QWidget* parent = nullptr);
    ~TfrmMainOstrinBackup() override;

    void TranslateMainWindow();
    // One tick's refresh (set as TScheduler::Callbacks.Refresh by app): repaints the rows,
    // UpdateCommandStates, status bar.
    void Refresh(const TTickCounts& counts);
    // FlushEventsToLog into the events panel keeping at most maxLines (app passes
    // GlobalOptions' MaxNumberOfLinesInEventsLog; set as TScheduler::Callbacks.FlushEvents).
    void FlushEvents(qint32 maxLines);
    // Appends text to the events panel directly (the "Quit" confirmation text).
    void AppendToEventsPanel(const QString& text);
    // The events panel's height, for the saved layout ("events_height").
    int eventsHeight() const;
    void setEventsHeight(int height);
    TJob* selectedJob() const;
    void selectJob(int index); // -1 clears

    // Enables the commands the selected job allows and binds the pause items to "Pause" or "Resume".
    void UpdateCommandStates();
    // The menu a right click on the list opens now: pmJob, pmRun, or none without a selection.
    QMenu* contextMenuForSelection() const;
    // Rebuilds the "Log" arrow's menu from the selected job's run logs (also done when it opens).
    void RebuildLogMenu();
    // Fills the "Language" menu from the languages the program offers, the active one checked.
    void RebuildLanguageMenu();

    QAction *ActionNewJob, *ActionCreate, *ActionImport, *ActionDuplicate, *ActionSettings, *ActionRename,
        *ActionRemove, *ActionBackup, *ActionRestore, *ActionVerify, *ActionHistory, *ActionLog,
        *ActionPauseAll, *ActionCancelAll, *ActionOptions, *ActionSupport, *ActionWebsite, *ActionAbout,
        *ActionPause, *ActionResume, *ActionCancel, *ActionQuit, *ActionMinimize;

    static constexpr int kToolbarHeight = 84;
    static constexpr int kHeaderBarHeight = 26;
    static constexpr int kTitleWidth = 150;
    static constexpr int kOperationWidth = 340;
    static constexpr int kStatusWidth = 80;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building.
    QAction* makeAction(const char* objectName, const char* caption, const QIcon& icon);
    void createActions();
    void createMenus();
    void createToolbar();
    void createListArea();
    void createStatusBar();
    void setCaption(const std::function<void()>& translate);

    // The list.
    void refreshView();
    int selectedRow() const; // -1: none
    void fitLastSection();
    bool listKeyPressed(int key);
    void listRightPressed(const QPoint& position);
    void moveSelected(bool up);
    void bindPauseItems(bool paused);
    void updateStatusBar(const TTickCounts& counts);
    QString statusInfoText() const;

    // Commands.
    void callService(const std::function<void()>& service);
    void callJobService(const std::function<void(TJob&)>& service);
    void ShowNotAvailable();
    bool tickInProgress() const;
    // The selected job when it is idle and no tick runs; otherwise the refusal is shown.
    TJob* idleJobOrRefuse();
    void ActionBackupExecute();
    void ActionRestoreExecute();
    void ActionVerifyExecute();
    void ActionHistoryExecute();
    void ActionLogExecute();
    void openRunLog(const QString& logName);
    QString jobLogFolder(const TJob& job) const;
    void ActionAboutExecute();
    void showRunControlResult(int result);

    TMainWindowServices services;
    std::unique_ptr<TRunControl> runControl;
    std::vector<std::function<void()>> captions;

    QToolBar* toolbar = nullptr;
    QMenu *menuFile = nullptr, *menuEdit = nullptr, *menuRun = nullptr, *menuLanguage = nullptr,
          *menuHelp = nullptr;
    QMenu *pmJob = nullptr, *pmRun = nullptr, *pmNewJob = nullptr, *pmLogs = nullptr;
    QMenu* popupMenu = nullptr;
    QHeaderView* header = nullptr;
    QToolButton *btMoveUp = nullptr, *btMoveDown = nullptr;
    QListView* lbJobsList = nullptr;
    TJobListModel* model = nullptr;
    QSplitter* splitter = nullptr;
    TEventsPanelWidget* events = nullptr;
    QLabel *lbStatusJobs = nullptr, *lbStatusRunning = nullptr, *lbStatusCancelled = nullptr,
           *lbStatusInfo = nullptr;
    TTickCounts lastCounts;
};
