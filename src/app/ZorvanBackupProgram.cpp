#include "app/ZorvanBackupProgram.h"

#include "app/core/AppStartup.h"
#include "app/core/RunEndWatcher.h"
#include "app/TrayIcon.h"
#include "base/AppState.h"
#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "options/uOptions.h"
#include "platform/StopSignals.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmEnterPassword.h"
#include "ui/dialogs/TfrmPCshutdownDialog.h"
#include "ui/dialogs/uLogViewer.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QGuiApplication>

TZorvanBackupProgram::TZorvanBackupProgram(const TCommandLine& commandLine)
    : commandLine(commandLine), Scheduler(Jobs, RunStarter, SleepInhibitor, Elevation, PowerControl),
      Lifecycle(commandLine, Jobs, Scheduler)
{
}

TZorvanBackupProgram::~TZorvanBackupProgram()
{
    Scheduler.disableTimer();
    HandOver.close();
}

bool TZorvanBackupProgram::Create()
{
    const TStartupResult started = PrepareApplication(Jobs);
    for (const QString& message : started.ErrorMessages)
        ShowMessageDialog(message, mtError, mbOK);
    if (started.MustTerminate || AppTerminating.load())
        return false;
    RunEnds = std::make_unique<TRunEndWatcher>(Jobs);
    createWindows();
    Lifecycle.FormCreate();
    wireScheduler();

    Tray = std::make_unique<TTrayIcon>([this] { Lifecycle.ShowApplication1Click(); },
                                       [this] { Lifecycle.ActionQuitExecute(); });
    Tray->show();
    StopSignals = std::make_unique<TStopSignals>();
    connect(StopSignals.get(), &TStopSignals::stopRequested, this, [this] { Lifecycle.EndSession(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { Lifecycle.EndSession(); });
    return true;
}

void TZorvanBackupProgram::createWindows()
{
    TMainWindowServices services;
    services.Jobs = &Jobs;
    services.Scheduler = &Scheduler;
    services.OpenReport = [this](const QString& path, bool showErrorsWarnings) {
        frmLog->OpenReport(path, showErrorsWarnings);
    };
    services.Quit = [this] { Lifecycle.ActionQuitExecute(); };
    services.CloseQuery = [this] { return Lifecycle.FormCloseQuery(); };
    services.Shown = [this] { Lifecycle.FormShow(); };
    services.StartedByHand = [this](TJob& job) { RunEnds->MarkStartedByHand(job); };
    services.LogFolder = [] { return GlobalOptions.Logging.PathForLogFiles; };
    frmMainOstrinBackup = std::make_unique<TfrmMainOstrinBackup>(services);
    frmPCshutdownDialog = std::make_unique<TfrmPCshutdownDialog>(Scheduler.shutdownCountdown());
    frmEnterPassword = std::make_unique<TfrmEnterPassword>();
    frmLog = std::make_unique<TfrmLog>();

    Lifecycle.attach(*frmMainOstrinBackup, *frmEnterPassword);
    Lifecycle.ImportJob = [this](const QString& path) { showImportNotAvailable(path); };
    Lifecycle.EndProgram = [] { QCoreApplication::exit(0); };
    HandOver.Handler = [this](const THandOverRequest& request) {
        if (request.Kind == THandOverRequest::hoImport)
            Lifecycle.ImportRequested(request.Path);
        else
            Lifecycle.ShowRequested();
    };
}

void TZorvanBackupProgram::wireScheduler()
{
    Scheduler.StartedHidden = commandLine.Hide();
    Scheduler.Callbacks.FlushEvents = [this] {
        frmMainOstrinBackup->FlushEvents(GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    };
    Scheduler.Callbacks.Refresh = [this](const TTickCounts& counts) { refresh(counts); };
    Scheduler.Callbacks.CloseMainWindow = [this] { Lifecycle.CloseForGood(); };
}

void TZorvanBackupProgram::refresh(const TTickCounts& counts)
{
    frmMainOstrinBackup->Refresh(counts);
    for (const TRunEndNotice& notice : RunEnds->Check())
        Tray->Notify(notice);
    if (Ticked)
        Ticked();
}

void TZorvanBackupProgram::showImportNotAvailable(const QString& path)
{
    // The import window comes later; the job file reached the program all the same.
    ShowMessageDialog(FillPlaceholders(Translate(QStringLiteral("Importing the job file %s is not available "
                                                                "yet.")),
                                       {path}),
                      mtInformation, mbOK, 0, frmMainOstrinBackup.get());
}

bool TZorvanBackupProgram::ListenForHandOver()
{
    return HandOver.listen();
}

bool TZorvanBackupProgram::PassStartupGates()
{
    // With "/hide" the password is asked when the user first opens the window.
    if (!commandLine.Hide() && !Lifecycle.AskConfigurationPassword())
        return false;
    return !NewAppVersionExists();
}

void TZorvanBackupProgram::ShowAtStart()
{
    if (!commandLine.Hide())
        frmMainOstrinBackup->show();
}

bool NewAppVersionExists()
{
    // The update check is not built yet: there is never an update to offer.
    return false;
}
