#include "app/core/DesktopSettings.h"

#include "app/core/WindowLayout.h"
#include "platform/AskingUser.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString kVerifyAfterBackup = QStringLiteral("verify_after_backup");
} // namespace

bool LoadVerifyCopiesAfterBackup()
{
    if (!QFileInfo::exists(WindowLayoutFilePath()))
        return false;
    const QSettings settings(WindowLayoutFilePath(), QSettings::IniFormat);
    return settings.value(kVerifyAfterBackup).toInt() == 1;
}

bool SaveVerifyCopiesAfterBackup(bool on)
{
    if (!MakePathForAskingUser(QFileInfo(WindowLayoutFilePath()).path()))
        return false;
    QSettings settings(WindowLayoutFilePath(), QSettings::IniFormat);
    settings.setValue(kVerifyAfterBackup, on ? 1 : 0);
    settings.sync();
    // QSettings replaces the file as a whole: the new file is root's in an elevated instance.
    GiveToAskingUser(settings.fileName());
    return settings.status() == QSettings::NoError;
}
