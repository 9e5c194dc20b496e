#include "app/ZorvanBackupProgram.h"

#include "app/core/AppStartup.h"
#include "app/core/RunEndWatcher.h"
#include "app/DriveImageRestoreCommand.h"
#include "app/FilesRestoreCommand.h"
#include "app/JobCommands.h"
#include "app/OptionsCommand.h"
#include "app/TrayIcon.h"
#include "app/VerifyCommand.h"
#include "base/AppState.h"
#include "i18n/Translate.h"
#include "i18n/TranslationFile.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "options/uOptions.h"
#include "platform/StopSignals.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmAddTime.h"
#include "ui/dialogs/TfrmEnterPassword.h"
#include "ui/dialogs/TfrmListViewer.h"
#include "ui/dialogs/TfrmNewBackupJob.h"
#include "ui/dialogs/TfrmNewVersion.h"
#include "ui/dialogs/TfrmOpenJobDialog.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/dialogs/TfrmPCshutdownDialog.h"
#include "ui/dialogs/uLogViewer.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/wizards/uWizard_DriveImageBackup.h"
#include "ui/wizards/uWizard_FilesBackup.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

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
    services.LanguageNames = [] { return GlobalOptions.Language.LanguageNames; };
    services.ActiveLanguage = [] { return int(GlobalOptions.Language.iLanguage); };
    services.ChooseLanguage = [this](int index) {
        // Runs already going keep the language of their own copy of the options.
        ChooseInterfaceLanguage(GlobalOptions.Language, index);
        SaveOptions();
        Tray->TranslateTray();
    };
    services.NewJob = [this] { JobCommands->ActionNewJobExecute(); };
    services.ImportJob = [this] { JobCommands->ActionOpenExecute(); };
    services.Duplicate = [this](TJob& job) { JobCommands->ActionDuplicateExecute(job); };
    services.Settings = [this](TJob& job) { JobCommands->ActionPropertiesExecute(job); };
    services.Rename = [this](TJob& job) { JobCommands->ActionRenameExecute(job); };
    services.Remove = [this](TJob& job) { JobCommands->ActionRemoveExecute(job); };
    services.Options = [this] { OptionsCommand->ActionOptionsExecute(); };
    services.Restore = [this](TJob& job) { restoreJob(job); };
    services.Verify = [this](TJob& job) {
        if (auto* filesJob = dynamic_cast<TJob_FilesAndFolders*>(&job))
            VerifyJobFromWindow(*filesJob, frmMainOstrinBackup.get());
    };
    frmMainOstrinBackup = std::make_unique<TfrmMainOstrinBackup>(services);
    frmOpenJobDialog = std::make_unique<TfrmOpenJobDialog>(frmMainOstrinBackup.get());
    frmPassword = std::make_unique<TfrmPassword>(frmMainOstrinBackup.get());
    frmAddTime = std::make_unique<TfrmAddTime>(frmMainOstrinBackup.get());
    frmListViewer = std::make_unique<TfrmListViewer>(frmMainOstrinBackup.get());
    frmWizard_FilesBackup =
        std::make_unique<TfrmWizard_FilesBackup>(*frmAddTime, *frmListViewer, frmMainOstrinBackup.get());
    frmWizard_FilesBackup->SetPasswordDialog(*frmPassword);
    frmPCshutdownDialog = std::make_unique<TfrmPCshutdownDialog>(Scheduler.shutdownCountdown());
    frmEnterPassword = std::make_unique<TfrmEnterPassword>();
    frmLog = std::make_unique<TfrmLog>();
    frmWizard_DriveImageBackup = std::make_unique<TfrmWizard_DriveImageBackup>(
        *frmAddTime, frmMainOstrinBackup.get(), frmPassword.get());
    frmNewBackupJob = std::make_unique<TfrmNewBackupJob>(frmMainOstrinBackup.get());
    TNewVersionServices update;
    update.Server = UpdateServerFromEnvironment();
    update.TempFolder = [] { return GlobalOptions.General.PathForTempFiles; };
    update.OpenPackage = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    update.OpenWebSite = [](const QUrl& site) { QDesktopServices::openUrl(site); };
    frmNewVersion = std::make_unique<TfrmNewVersion>(std::move(update));
    FilesRestore = std::make_unique<TFilesRestoreCommand>(frmMainOstrinBackup.get());

    TJobCommandWindows windows;
    windows.Main = frmMainOstrinBackup.get();
    windows.NewBackupJob = frmNewBackupJob.get();
    windows.OpenJobDialog = frmOpenJobDialog.get();
    windows.FilesWizard = frmWizard_FilesBackup.get();
    windows.DriveImageWizard = frmWizard_DriveImageBackup.get();
    JobCommands = std::make_unique<TJobCommands>(Jobs, Scheduler, Elevation, windows);
    JobCommands->CloseForGood = [this] { Lifecycle.CloseForGood(); };
    OptionsCommand = std::make_unique<TOptionsCommand>(*frmPassword, frmMainOstrinBackup.get());
    DriveImageRestore = std::make_unique<TDriveImageRestoreCommand>(Jobs, frmMainOstrinBackup.get(),
                                                                    [this] { Lifecycle.CloseForGood(); });

    Lifecycle.attach(*frmMainOstrinBackup, *frmEnterPassword);
    Lifecycle.ImportJob = [this](const QString& path) { importJobFile(path); };
    Lifecycle.Restore = [this](TJob& job) { restoreJob(job); };
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

void TZorvanBackupProgram::restoreJob(TJob& job)
{
    if (auto* imageJob = dynamic_cast<TJob_DriveImage*>(&job))
        DriveImageRestore->Execute(*imageJob);
    else if (auto* filesJob = dynamic_cast<TJob_FilesAndFolders*>(&job))
        FilesRestore->Execute(*filesJob);
}

void TZorvanBackupProgram::importJobFile(const QString& path)
{
    frmOpenJobDialog->DefaultPath = path;
    JobCommands->ActionOpenExecute();
    // The list must show the imported job even when the window did not start the command.
    frmMainOstrinBackup->Refresh(Scheduler.lastCounts());
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
    if (!GlobalOptions.General.CheckForNewVersionAtStart)
        return true;
    return !frmNewVersion->NewAppVersionExists() || frmNewVersion->ShowModalResult() != 0;
}

void TZorvanBackupProgram::ShowAtStart()
{
    if (!commandLine.Hide())
        frmMainOstrinBackup->show();
}
