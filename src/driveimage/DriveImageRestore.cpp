#include "driveimage/DriveImageRestore.h"

#include "base/AppState.h"
#include "base/Placeholders.h"
#include "events/EventsLog.h"
#include "jobs/uJob_DriveImage.h"
#include "platform/ChildProcess.h"
#include "storage/StorageConnection.h"

#include <atomic>

namespace {
std::atomic<TDriveImageRestoreView*> restoreView{nullptr};
}

void SetDriveImageRestoreView(TDriveImageRestoreView* view)
{
    restoreView = view;
}

bool TJob_DriveImage::Restore(TRestoreInteraction&)
{
    const qint32 errorsBefore = LastJobResult.ErrorsCount;
    const TStorageConnectionResult connection = ConnectToStorage();
    TDriveImageRestoreView* view = restoreView.load();
    if (!connection.error.isEmpty()) {
        const QString result = ConnectionErrorLine(*this, connection);
        // A storage that cannot be reached is not an error of the job's backups.
        LastJobResult.ErrorsCount = errorsBefore;
        const QString cancelled =
            FillPlaceholders(Translate(QStringLiteral("\"%s\" restore is cancelled.")), {stJobName});
        AddEvent(result);
        AddEvent(cancelled);
        if (view)
            view->ShowRestoreError(result + '\n' + cancelled);
        return true;
    }
    // The guidance stays open as long as the user reads it; no session to the storage is held for it.
    DisconnectFromStorage();
    if (connection.ok() && view)
        view->ShowRestoreGuidance(*this);
    return true;
}

QStringList RestartIntoBootMenuCommand()
{
    return {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
            QStringLiteral("systemctl reboot --boot-loader-menu=0 || systemctl reboot")};
}

void RestartComputerForRecovery(const TCommandStarter& start)
{
    AppTerminating = true;
    const QStringList command = RestartIntoBootMenuCommand();
    start(command.first(), command.mid(1));
}

void RestartComputerForRecovery()
{
    RestartComputerForRecovery([](const QString& program, const QStringList& arguments) {
        return TChildProcess::StartDetached(program, arguments);
    });
}
