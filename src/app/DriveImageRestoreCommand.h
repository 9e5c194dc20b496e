#pragma once
// "Restore" of a drive image job in the window: the storage check of the job, then the guidance
// dialog with the tool's command line for a live system, the restart into the boot menu and, for a
// volume the running system does not use, "Recover now...".
#include "driveimage/DriveImageRecovery.h"
#include "driveimage/DriveImageRestore.h"

#include <QString>

#include <functional>
#include <memory>

class QWidget;
class TJobCatalogue;
class TfrmRecoverVolume;
class TfrmRestore_DriveImage;

class TDriveImageRestoreCommand final : public TDriveImageRestoreView
{
public:
    // `closeMainWindow` ends the program after the restart has been requested.
    TDriveImageRestoreCommand(TJobCatalogue& jobs, QWidget* mainWindow,
                              std::function<void()> closeMainWindow);
    ~TDriveImageRestoreCommand() override;
    TDriveImageRestoreCommand(const TDriveImageRestoreCommand&) = delete;
    TDriveImageRestoreCommand& operator=(const TDriveImageRestoreCommand&) = delete;

    void Execute(TJob_DriveImage& job);

    void ShowRestoreError(const QString& text) override;
    void ShowRestoreGuidance(TJob_DriveImage& job) override;

    TfrmRestore_DriveImage& guidanceDialog() { return *frmRestore_DriveImage; }
    // Starts the restart command; tests replace it so that nothing restarts.
    TCommandStarter StartCommand;

private:
    void restartForRecovery();
    void recoverNow();

    TJobCatalogue& jobs;
    QWidget* mainWindow;
    std::function<void()> closeMainWindow;
    QString jobName; // the job the guidance shows, looked up again when it is acted on
    QList<TImageVersionInfo> versions;
    std::unique_ptr<TfrmRestore_DriveImage> frmRestore_DriveImage;
    std::unique_ptr<TfrmRecoverVolume> frmRecoverVolume;
};
