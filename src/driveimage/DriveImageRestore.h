#pragma once
// Restore guidance for drive image jobs: an image is restored from outside the running system, so a
// restore only checks that the images can be reached and then shows how to start the computer into
// recovery, offering to restart it.
#include <QString>
#include <QStringList>

#include <functional>

class TJob_DriveImage;

// What the window shows for a drive image restore.
class TDriveImageRestoreView
{
public:
    virtual ~TDriveImageRestoreView() = default;
    // An error box ({OK}) with `text`.
    virtual void ShowRestoreError(const QString& text) = 0;
    // Opens the restore guidance for `job` without waiting for it.
    virtual void ShowRestoreGuidance(TJob_DriveImage& job) = 0;
};

// The view TJob_DriveImage::Restore reports to; without one nothing is shown (the events log still
// gets its lines). The window sets it once; it must outlive every restore.
void SetDriveImageRestoreView(TDriveImageRestoreView* view);

// The command that restarts the computer and stops in its boot menu, where the user picks the
// recovery medium; where the boot loader cannot be asked for its menu, a plain restart.
QStringList RestartIntoBootMenuCommand();
// Starts a command without waiting for it; true when it was started.
using TCommandStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
// "Restart PC and continue...": from here on the program is ending (AppTerminating), so that closing
// the main window ends it, and the restart is requested. Whether it starts is not examined.
void RestartComputerForRecovery(const TCommandStarter& start);
void RestartComputerForRecovery();
