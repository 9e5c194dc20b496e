#pragma once
// A full instance of the program: the job catalogue, the scheduler with its system services, every
// window (created once, shown again and again), the main window's lifecycle, the notification-area
// icon and the hand-over server that second starts talk to.
#include "app/core/CommandLine.h"
#include "app/core/InstanceHandOver.h"
#include "app/uMain.h"
#include "jobs/JobCatalogue.h"
#include "platform/ElevationCommand.h"
#include "platform/PowerControlLogind.h"
#include "platform/SleepInhibitorDBus.h"
#include "scheduler/JobRunStarter.h"
#include "scheduler/Scheduler.h"

#include <QObject>

#include <memory>

class TDriveImageRestoreCommand;
class TFilesRestoreCommand;
class TJobCommands;
class TOptionsCommand;
class TRunEndWatcher;
class TStopSignals;
class TTrayIcon;
class TfrmAddTime;
class TfrmEnterPassword;
class TfrmListViewer;
class TfrmLog;
class TfrmMainOstrinBackup;
class TfrmNewBackupJob;
class TfrmNewVersion;
class TfrmOpenJobDialog;
class TfrmPassword;
class TfrmPCshutdownDialog;
class TfrmWizard_DriveImageBackup;
class TfrmWizard_FilesBackup;

class TZorvanBackupProgram : public QObject
{
    Q_OBJECT
public:
    explicit TZorvanBackupProgram(const TCommandLine& commandLine);
    ~TZorvanBackupProgram() override;
    Q_DISABLE_COPY_MOVE(TZorvanBackupProgram)

    // The core's start-up (folders, options, priority, jobs; its errors shown), then every window in
    // order, the main window's own start-up and the scheduler's wiring. False when the program must end
    // before its message loop.
    bool Create();
    // Takes hand-overs from second starts; only for the instance that holds the instance lock.
    bool ListenForHandOver();
    // The configuration password (not with "/hide") and, unless the user switched it off, the update
    // check (also with "/hide"). False when the program ends.
    bool PassStartupGates();
    // Shows the main window unless the program started hidden.
    void ShowAtStart();

    TJobCatalogue& jobs() { return Jobs; }
    TScheduler& scheduler() { return Scheduler; }
    TMainWindowLifecycle& lifecycle() { return Lifecycle; }
    TfrmMainOstrinBackup& mainWindow() { return *frmMainOstrinBackup; }
    TfrmEnterPassword& enterPasswordDialog() { return *frmEnterPassword; }
    TfrmOpenJobDialog& openJobDialog() { return *frmOpenJobDialog; }
    TfrmPassword& passwordDialog() { return *frmPassword; }
    TfrmWizard_FilesBackup& filesWizard() { return *frmWizard_FilesBackup; }
    TfrmWizard_DriveImageBackup& driveImageWizard() { return *frmWizard_DriveImageBackup; }
    TfrmNewBackupJob& newBackupJobDialog() { return *frmNewBackupJob; }
    TfrmNewVersion& newVersionDialog() { return *frmNewVersion; }
    TJobCommands& jobCommands() { return *JobCommands; }
    TOptionsCommand& optionsCommand() { return *OptionsCommand; }
    TDriveImageRestoreCommand& driveImageRestore() { return *DriveImageRestore; }
    TFilesRestoreCommand& filesRestore() { return *FilesRestore; }
    TTrayIcon& tray() { return *Tray; }
    THandOverServer& handOverServer() { return HandOver; }

    // Called after each tick's refresh of the window.
    std::function<void()> Ticked;

private:
    void createWindows();
    void wireScheduler();
    void refresh(const TTickCounts& counts);
    void importJobFile(const QString& path);
    // "Restore" by the job's kind, from the window and from the command line.
    void restoreJob(TJob& job);

    TCommandLine commandLine;
    TJobCatalogue Jobs;
    TJobRunStarter RunStarter;
    TSleepInhibitorDBus SleepInhibitor;
    TPowerControlLogind PowerControl;
    TElevationCommand Elevation;
    TScheduler Scheduler;
    TMainWindowLifecycle Lifecycle;
    // Runs that ended while nobody watched them start: the tray tells about those with problems.
    std::unique_ptr<TRunEndWatcher> RunEnds;

    // The windows, in the order they are created (the files wizard needs the time and list windows
    // first); destroyed in the reverse order.
    std::unique_ptr<TfrmMainOstrinBackup> frmMainOstrinBackup;
    std::unique_ptr<TfrmOpenJobDialog> frmOpenJobDialog;
    std::unique_ptr<TfrmPassword> frmPassword;
    std::unique_ptr<TfrmAddTime> frmAddTime;
    std::unique_ptr<TfrmListViewer> frmListViewer;
    std::unique_ptr<TfrmWizard_FilesBackup> frmWizard_FilesBackup;
    std::unique_ptr<TfrmPCshutdownDialog> frmPCshutdownDialog;
    std::unique_ptr<TfrmEnterPassword> frmEnterPassword;
    std::unique_ptr<TfrmLog> frmLog;
    std::unique_ptr<TfrmWizard_DriveImageBackup> frmWizard_DriveImageBackup;
    std::unique_ptr<TfrmNewBackupJob> frmNewBackupJob;
    std::unique_ptr<TfrmNewVersion> frmNewVersion;
    std::unique_ptr<TJobCommands> JobCommands;
    std::unique_ptr<TOptionsCommand> OptionsCommand;
    std::unique_ptr<TDriveImageRestoreCommand> DriveImageRestore;
    std::unique_ptr<TFilesRestoreCommand> FilesRestore;

    std::unique_ptr<TTrayIcon> Tray;
    THandOverServer HandOver;
    // SIGTERM and SIGINT end the program as the end of the session does.
    std::unique_ptr<TStopSignals> StopSignals;
};
