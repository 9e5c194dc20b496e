#include "options/OptionsChecks.h"

#include "i18n/Translate.h"

#include <QFileInfo>

namespace {

bool isExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString OptionsEntryError(const TOptionsEntry& entry)
{
    if (entry.ProtectConfigurationbyPassword && entry.Password.isEmpty())
        return Translate(QStringLiteral("Please specify a password for configuration protection."));
    if (!isExistingFolder(entry.PathForTempFiles))
        return Translate(QStringLiteral("Please choose a correct path for the temporary files."));
    if (!isExistingFolder(entry.PathForLogFiles))
        return Translate(QStringLiteral("Please choose a correct path for the log files."));
    if (entry.PathForTempFiles.trimmed() == entry.PathForLogFiles.trimmed())
        return Translate(QStringLiteral("Unable to set the same path for temporary files and log files."));
    return {};
}
