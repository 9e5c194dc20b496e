#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include "i18n/Translate.h"
#include "scheduler/RunControl.h"
#include "ui/mainwindow/TEventsPanelWidget.h"
#include "ui/mainwindow/TJobListHeader.h"
#include "ui/mainwindow/TJobListModel.h"
#include "ui/mainwindow/TJobRowDelegate.h"
#include "ui/widgets/Icons.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kDesignWidth = 904;
constexpr int kDesignHeight = 515;
constexpr int kDefaultEventsHeight = 120;

QString tr_(const char* text)
{
    return Translate(QString::fromLatin1(text));
}

} // namespace

TfrmMainOstrinBackup::TfrmMainOstrinBackup(const TMainWindowServices& services, QWidget* parent)
    : QMainWindow(parent), services(services)
{
    setObjectName(QStringLiteral("frmMainOstrinBackup"));
    setWindowTitle(QStringLiteral(ZORVAN_APP_TITLE));
    setWindowIcon(OwnIcon(":/icons/zorvanbackup.svg"));
    if (services.Scheduler)
        runControl = std::make_unique<TRunControl>(*services.Scheduler);

    createActions();
    createMenus();
    createListArea();
    createStatusBar();
    resize(kDesignWidth, kDesignHeight);
    TranslateMainWindow();
    refreshView();
}

TfrmMainOstrinBackup::~TfrmMainOstrinBackup() = default;

void TfrmMainOstrinBackup::setCaption(const std::function<void()>& translate)
{
    captions.push_back(translate);
}

QAction* TfrmMainOstrinBackup::makeAction(const char* objectName, const char* caption, const QIcon& icon)
{
    auto* action = new QAction(icon, QString(), this);
    action->setObjectName(QString::fromLatin1(objectName));
    setCaption([action, caption] { action->setText(tr_(caption)); });
    return action;
}

void TfrmMainOstrinBackup::createActions()
{
    ActionNewJob = makeAction("ActionNewJob", "New Job", ThemedIcon("document-new", ":/icons/new-job.svg"));
    ActionCreate = makeAction("ActionCreate", "Create...", ThemedIcon("document-new", ":/icons/new-job.svg"));
    ActionImport = makeAction("ActionImport", "Import", ThemedIcon("document-import", ":/icons/import.svg"));
    // "Import" is translated alone and shown with the dots.
    setCaption([this] { ActionImport->setText(tr_("Import") + QStringLiteral("...")); });
    ActionDuplicate =
        makeAction("ActionDuplicate", "Duplicate", ThemedIcon("edit-copy", ":/icons/duplicate.svg"));
    ActionSettings =
        makeAction("ActionSettings", "Settings", ThemedIcon("document-properties", ":/icons/settings.svg"));
    ActionRename = makeAction("ActionRename", "Rename", ThemedIcon("edit-rename", ":/icons/rename.svg"));
    ActionRemove = makeAction("ActionRemove", "Remove", ThemedIcon("edit-delete", ":/icons/remove.svg"));
    ActionBackup = makeAction("ActionBackup", "Backup", ThemedIcon("document-save", ":/icons/backup.svg"));
    ActionRestore =
        makeAction("ActionRestore", "Restore", ThemedIcon("document-revert", ":/icons/restore.svg"));
    ActionVerify = makeAction("ActionVerify", "Verify", OwnIcon(":/icons/verify.svg"));
    ActionHistory = makeAction("ActionHistory", "History", ThemedIcon("view-history", ":/icons/history.svg"));
    ActionLog = makeAction("ActionLog", "Log", ThemedIcon("text-x-generic", ":/icons/log.svg"));
    ActionPauseAll = makeAction("ActionPauseAll", "Pause All", OwnIcon(":/icons/pause-all.svg"));
    ActionCancelAll = makeAction("ActionCancelAll", "Cancel All", OwnIcon(":/icons/cancel-all.svg"));
    ActionOptions =
        makeAction("ActionOptions", "Options", ThemedIcon("preferences-system", ":/icons/options.svg"));
    ActionSupport =
        makeAction("ActionSupport", "Support", ThemedIcon("help-contents", ":/icons/support.svg"));
    ActionWebsite =
        makeAction("ActionWebsite", "Website", ThemedIcon("internet-web-browser", ":/icons/website.svg"));
    ActionAbout = makeAction("ActionAbout", "About", ThemedIcon("help-about", ":/icons/about.svg"));
    ActionPause = makeAction("ActionPause", "Pause", ThemedIcon("media-playback-pause", ":/icons/pause.svg"));
    ActionResume =
        makeAction("ActionResume", "Resume", ThemedIcon("media-playback-start", ":/icons/resume.svg"));
    ActionCancel = makeAction("ActionCancel", "Cancel", ThemedIcon("process-stop", ":/icons/cancel.svg"));
    ActionQuit = makeAction("ActionQuit", "Quit", ThemedIcon("application-exit", ":/icons/quit.svg"));
    ActionMinimize = makeAction("ActionMinimize", "Minimize", OwnIcon(":/icons/minimize.svg"));

    connect(ActionNewJob, &QAction::triggered, this, [this] { callService(services.NewJob); });
    connect(ActionCreate, &QAction::triggered, this, [this] { callService(services.NewJob); });
    connect(ActionImport, &QAction::triggered, this, [this] { callService(services.ImportJob); });
    connect(ActionOptions, &QAction::triggered, this, [this] { callService(services.Options); });
    connect(ActionDuplicate, &QAction::triggered, this, [this] { callJobService(services.Duplicate); });
    connect(ActionSettings, &QAction::triggered, this, [this] { callJobService(services.Settings); });
    connect(ActionRename, &QAction::triggered, this, [this] { callJobService(services.Rename); });
    connect(ActionRemove, &QAction::triggered, this, [this] { callJobService(services.Remove); });
    connect(ActionBackup, &QAction::triggered, this, &TfrmMainOstrinBackup::ActionBackupExecute);
    connect(ActionRestore, &QAction::triggered, this, &TfrmMainOstrinBackup::ActionRestoreExecute);
    connect(ActionVerify, &QAction::triggered, this, &TfrmMainOstrinBackup::ActionVerifyExecute);
    connect(ActionHistory, &QAction::triggered, this, &TfrmMainOstrinBackup::ActionHistoryExecute);
    connect(ActionLog, &QAction::triggered, this, &TfrmMainOstrinBackup::ActionLogExecute);
    connect(ActionAbout, &QAction::triggered, this, &TfrmMainOstrinBackup::ActionAboutExecute);
    connect(ActionPause, &QAction::triggered, this, [this] {
        if (runControl)
            showRunControlResult(runControl->ActionPauseExecute(selectedJob()));
    });
    connect(ActionResume, &QAction::triggered, this, [this] {
        if (runControl)
            showRunControlResult(runControl->ActionResumeExecute(selectedJob()));
    });
    connect(ActionCancel, &QAction::triggered, this, [this] {
        if (runControl)
            showRunControlResult(runControl->ActionCancelExecute(selectedJob()));
    });
    connect(ActionPauseAll, &QAction::triggered, this, [this] {
        if (runControl)
            runControl->ActionPauseAllExecute();
        refreshView();
    });
    connect(ActionCancelAll, &QAction::triggered, this, [this] {
        if (runControl)
            runControl->ActionCancelAllExecute();
        refreshView();
    });
    connect(ActionQuit, &QAction::triggered, this, [this] {
        if (services.Quit)
            services.Quit();
        else
            close();
    });
    connect(ActionMinimize, &QAction::triggered, this, &QWidget::close);
    connect(ActionSupport, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("https://zorvanbackup.example/support"))); });
    connect(ActionWebsite, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("https://zorvanbackup.example/"))); });
}

void TfrmMainOstrinBackup::createMenus()
{
    const auto menu = [this](QMenu* parentMenu, const char* objectName, const char* caption) {
        auto* created = parentMenu ? parentMenu->addMenu(QString()) : menuBar()->addMenu(QString());
        created->setObjectName(QString::fromLatin1(objectName));
        if (caption)
            setCaption([created, caption] { created->setTitle(tr_(caption)); });
        return created;
    };
    const auto popup = [this](const char* objectName) {
        auto* created = new QMenu(this);
        created->setObjectName(QString::fromLatin1(objectName));
        return created;
    };
    menuBar()->setObjectName(QStringLiteral("mmMain"));
    menuFile = menu(nullptr, "menuFile", "File");
    menuFile->addActions({ActionNewJob, ActionImport});
    menuFile->addSeparator();
    menuFile->addActions({ActionMinimize, ActionQuit});
    menuEdit = menu(nullptr, "menuEdit", "Edit");
    menuEdit->addAction(ActionSettings);
    menuEdit->addSeparator();
    menuEdit->addActions({ActionRename, ActionDuplicate, ActionRemove});
    menuRun = menu(nullptr, "menuRun", "Run");
    menuRun->addActions({ActionBackup, ActionRestore, ActionVerify});
    menuRun->addSeparator();
    menuRun->addActions({ActionPause, ActionCancel});
    menuRun->addSeparator();
    menuRun->addActions({ActionPauseAll, ActionCancelAll});
    menuLanguage = menu(nullptr, "menuLanguage", "Language");
    connect(menuLanguage, &QMenu::aboutToShow, this, &TfrmMainOstrinBackup::RebuildLanguageMenu);
    RebuildLanguageMenu();
    menuHelp = menu(nullptr, "menuHelp", "Help");
    menuHelp->addActions({ActionSupport, ActionWebsite});
    menuHelp->addSeparator();
    menuHelp->addAction(ActionAbout);

    pmJob = popup("pmJob");
    pmJob->addAction(ActionSettings);
    pmJob->addSeparator();
    pmJob->addActions({ActionDuplicate, ActionRename, ActionRemove});
    pmJob->addSeparator();
    pmJob->addActions({ActionBackup, ActionRestore, ActionVerify});
    pmJob->addSeparator();
    pmJob->addAction(ActionLog);
    pmRun = popup("pmRun");
    pmRun->addActions({ActionPause, ActionCancel});
    pmRun->addSeparator();
    pmRun->addActions({ActionPauseAll, ActionCancelAll});
    pmNewJob = popup("pmNewJob");
    pmNewJob->addActions({ActionCreate, ActionImport});
    pmNewJob->setDefaultAction(ActionCreate);
    pmLogs = popup("pmLogs");
    connect(pmLogs, &QMenu::aboutToShow, this, &TfrmMainOstrinBackup::RebuildLogMenu);
}

void TfrmMainOstrinBackup::RebuildLanguageMenu()
{
    qDeleteAll(menuLanguage->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    menuLanguage->clear();
    const QStringList names = services.LanguageNames ? services.LanguageNames() : QStringList();
    const int active = services.ActiveLanguage ? services.ActiveLanguage() : 0;
    auto* group = new QActionGroup(menuLanguage);
    for (int index = 0; index < std::max<int>(1, int(names.size())); ++index) {
        // The languages are listed by their own names, English under its English name.
        auto* action =
            menuLanguage->addAction(index < names.size() ? names.at(index) : QStringLiteral("English"));
        action->setObjectName(QStringLiteral("ActionLanguage%1").arg(index));
        action->setCheckable(true);
        action->setChecked(index == active);
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, index] {
            if (services.ChooseLanguage)
                services.ChooseLanguage(index);
            TranslateMainWindow();
            refreshView();
        });
    }
}

void TfrmMainOstrinBackup::createToolbar()
{
    // Part of the window's own layout rather than a dock area, so it keeps its fixed height and
    // cannot be moved or hidden.
    toolbar = new QToolBar(centralWidget());
    toolbar->setObjectName(QStringLiteral("tbMain"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setIconSize(QSize(48, 48));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setStyleSheet(QStringLiteral("QToolBar { background: #E7EFF5; border: none; spacing: 2px; }"
                                          "QToolButton { color: #1E2A36; padding: 2px 4px; }"));
    setCaption([this] { toolbar->setWindowTitle(tr_("Toolbar")); });
    const auto button = [this](QAction* action, const char* objectName, QMenu* arrowMenu = nullptr) {
        toolbar->addAction(action);
        auto* created = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        created->setObjectName(QString::fromLatin1(objectName));
        if (arrowMenu) {
            created->setMenu(arrowMenu);
            created->setPopupMode(QToolButton::MenuButtonPopup);
        }
    };
    button(ActionNewJob, "btNewJob", pmNewJob);
    button(ActionRemove, "btRemove");
    button(ActionSettings, "btSettings");
    button(ActionRename, "btRename");
    toolbar->addSeparator();
    button(ActionBackup, "btBackup");
    button(ActionRestore, "btRestore");
    toolbar->addSeparator();
    button(ActionHistory, "btHistory");
    button(ActionLog, "btLog", pmLogs);
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    button(ActionOptions, "btOptions");
    button(ActionAbout, "btAbout");
    toolbar->setFixedHeight(kToolbarHeight);
}

void TfrmMainOstrinBackup::createListArea()
{
    auto* listArea = new QWidget;
    setCentralWidget(listArea);
    createToolbar();
    listArea->setObjectName(QStringLiteral("pnJobs"));

    auto* bar = new QWidget(listArea);
    bar->setObjectName(QStringLiteral("pnListHeader"));
    bar->setFixedHeight(kHeaderBarHeight);
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral(
        "#pnListHeader { background: #3B3B3B; }"
        "QHeaderView { background: #3B3B3B; border: none; }"
        "QToolButton { border: none; padding: 1px; } QToolButton:hover { background: #555555; }"));
    auto* sections = new QStandardItemModel(0, 4, bar);
    header = new TJobListHeader(bar);
    header->setObjectName(QStringLiteral("hdJobsList"));
    header->setModel(sections);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(20);
    header->setStretchLastSection(false);
    header->resizeSection(0, kTitleWidth);
    header->resizeSection(1, kOperationWidth);
    header->resizeSection(2, kStatusWidth);
    setCaption([sections, this] {
        sections->setHorizontalHeaderLabels(
            {tr_("Title"), tr_("Operation"), tr_("Status"), tr_("Last Result")});
        header->setAccessibleName(tr_("Columns"));
    });
    const auto arrow = [bar, this](const char* objectName, const char* icon, const char* caption) {
        auto* created = new QToolButton(bar);
        created->setObjectName(QString::fromLatin1(objectName));
        created->setIcon(OwnIcon(icon));
        created->setIconSize(QSize(16, 16));
        created->setAutoRaise(true);
        setCaption([created, caption] {
            created->setToolTip(tr_(caption));
            created->setAccessibleName(tr_(caption));
        });
        return created;
    };
    btMoveUp = arrow("btMoveUp", ":/icons/move-up.svg", "Move Up");
    btMoveDown = arrow("btMoveDown", ":/icons/move-down.svg", "Move Down");
    connect(btMoveUp, &QToolButton::clicked, this, [this] { moveSelected(true); });
    connect(btMoveDown, &QToolButton::clicked, this, [this] { moveSelected(false); });
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 4, 0);
    barLayout->setSpacing(2);
    barLayout->addWidget(header, 1);
    barLayout->addWidget(btMoveUp);
    barLayout->addWidget(btMoveDown);

    lbJobsList = new QListView(listArea);
    lbJobsList->setObjectName(QStringLiteral("lbJobsList"));
    model = new TJobListModel(services.Jobs, this);
    lbJobsList->setModel(model);
    lbJobsList->setItemDelegate(new TJobRowDelegate(header, lbJobsList));
    lbJobsList->setSelectionMode(QAbstractItemView::SingleSelection);
    lbJobsList->setUniformItemSizes(true);
    lbJobsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbJobsList->setFrameShape(QFrame::NoFrame);
    lbJobsList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbJobsList->setContextMenuPolicy(Qt::CustomContextMenu);
    lbJobsList->setStyleSheet(QStringLiteral("QListView { background: #292929; }"));
    lbJobsList->installEventFilter(this);
    lbJobsList->viewport()->installEventFilter(this);
    setCaption([this] { lbJobsList->setAccessibleName(tr_("Backup jobs")); });
    connect(lbJobsList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMainOstrinBackup::UpdateCommandStates);
    connect(lbJobsList, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        selectJob(index.row());
        callJobService(services.Settings);
    });
    connect(lbJobsList, &QListView::customContextMenuRequested, this, [this](const QPoint& position) {
        if (QMenu* menu = contextMenuForSelection())
            menu->popup(lbJobsList->viewport()->mapToGlobal(position));
    });
    connect(header, &QHeaderView::sectionResized, this, [this](int section) {
        if (section < 3)
            fitLastSection();
        lbJobsList->viewport()->update();
    });

    auto* top = new QWidget;
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    topLayout->addWidget(bar);
    topLayout->addWidget(lbJobsList, 1);

    events = new TEventsPanelWidget;
    splitter = new QSplitter(Qt::Vertical, listArea);
    splitter->setObjectName(QStringLiteral("spEvents"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(top);
    splitter->addWidget(events);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({kDesignHeight - kDefaultEventsHeight, kDefaultEventsHeight});
    auto* layout = new QVBoxLayout(listArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->setSpacing(0);
    layout->addWidget(splitter);
}

void TfrmMainOstrinBackup::createStatusBar()
{
    const auto panel = [this](const char* objectName) {
        auto* created = new QLabel(statusBar());
        created->setObjectName(QString::fromLatin1(objectName));
        return created;
    };
    lbStatusJobs = panel("lbStatusJobs");
    lbStatusRunning = panel("lbStatusRunning");
    lbStatusCancelled = panel("lbStatusCancelled");
    lbStatusInfo = panel("lbStatusInfo");
    lbStatusInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addWidget(lbStatusJobs);
    statusBar()->addWidget(lbStatusRunning);
    statusBar()->addWidget(lbStatusCancelled);
    statusBar()->addPermanentWidget(lbStatusInfo);
    setCaption([this] {
        const QFontMetrics metrics = lbStatusJobs->fontMetrics();
        const int margin = 12;
        lbStatusJobs->setFixedWidth(metrics.horizontalAdvance(tr_("Jobs") + QStringLiteral(": 1000")) +
                                    margin);
        lbStatusRunning->setFixedWidth(metrics.horizontalAdvance(tr_("Running") + QStringLiteral(": 1000")) +
                                       margin);
        lbStatusCancelled->setFixedWidth(
            metrics.horizontalAdvance(tr_("Cancelled") + QStringLiteral(": 1000")) + margin);
        lbStatusJobs->setAccessibleName(tr_("Jobs"));
        lbStatusRunning->setAccessibleName(tr_("Running"));
        lbStatusCancelled->setAccessibleName(tr_("Cancelled"));
        lbStatusInfo->setAccessibleName(tr_("Next backup"));
        // The texts follow the language at once, not only when a count changes.
        lbStatusJobs->clear();
        lbStatusRunning->clear();
        lbStatusCancelled->clear();
        updateStatusBar(lastCounts);
    });
}

void TfrmMainOstrinBackup::TranslateMainWindow()
{
    for (const std::function<void()>& translate : captions)
        translate();
    events->Translate();
    // Buttons and menus take their accessible names from the actions' texts.
    for (QAction* action : findChildren<QAction*>())
        action->setToolTip(action->text());
    for (QToolButton* button : toolbar->findChildren<QToolButton*>()) {
        if (button->defaultAction())
            button->setAccessibleName(button->defaultAction()->text());
    }
}

void TfrmMainOstrinBackup::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    fitLastSection();
    if (services.Shown)
        services.Shown();
}

void TfrmMainOstrinBackup::closeEvent(QCloseEvent* event)
{
    if (services.CloseQuery && !services.CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
}

int TfrmMainOstrinBackup::eventsHeight() const
{
    return splitter->sizes().value(1);
}

void TfrmMainOstrinBackup::setEventsHeight(int height)
{
    const int total = qMax(splitter->height(), kDesignHeight);
    splitter->setSizes({qMax(1, total - height), qMax(1, height)});
}
