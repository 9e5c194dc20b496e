#include "app/core/DesktopSettings.h"

#include "app/core/WindowLayout.h"
#include "platform/AskingUser.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString kVerifyAfterBackup = QStringLiteral("verify_after_backup");
const QString kCheckForNewVersion = QStringLiteral("check_for_new_version");

bool loadFlag(const QString& name, bool missing)
{
    if (!QFileInfo::exists(WindowLayoutFilePath()))
        return missing;
    const QSettings settings(WindowLayoutFilePath(), QSettings::IniFormat);
    const QVariant value = settings.value(name);
    return value.isValid() ? value.toInt() == 1 : missing;
}

bool saveFlag(const QString& name, bool on)
{
    if (!MakePathForAskingUser(QFileInfo(WindowLayoutFilePath()).path()))
        return false;
    QSettings settings(WindowLayoutFilePath(), QSettings::IniFormat);
    settings.setValue(name, on ? 1 : 0);
    settings.sync();
    // QSettings replaces the file as a whole: the new file is root's in an elevated instance.
    GiveToAskingUser(settings.fileName());
    return settings.status() == QSettings::NoError;
}

} // namespace

bool LoadVerifyCopiesAfterBackup()
{
    return loadFlag(kVerifyAfterBackup, false);
}

bool SaveVerifyCopiesAfterBackup(bool on)
{
    return saveFlag(kVerifyAfterBackup, on);
}

bool LoadCheckForNewVersionAtStart()
{
    return loadFlag(kCheckForNewVersion, ZORVAN_CHECK_FOR_NEW_VERSION != 0);
}

bool SaveCheckForNewVersionAtStart(bool on)
{
    return saveFlag(kCheckForNewVersion, on);
}
