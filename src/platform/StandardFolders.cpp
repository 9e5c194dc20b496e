#include "platform/StandardFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString envOr(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QString home()
{
    return envOr("HOME", QDir::homePath());
}
} // namespace

namespace StandardFolders {

QString applicationDataFolder()
{
    return envOr("XDG_DATA_HOME", home() + "/.local/share") + "/" ZORVAN_APP_TITLE;
}

QString sharedDataFolder()
{
    return QStringLiteral("/var/tmp/" ZORVAN_APP_TITLE);
}

QString configFolder()
{
    return envOr("XDG_CONFIG_HOME", home() + "/.config");
}

QString runtimeFolder()
{
    return envOr("XDG_RUNTIME_DIR", tempFolder());
}

QString tempFolder()
{
    QString path = envOr("TMPDIR", QStringLiteral("/tmp"));
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QString documentsFolder()
{
    // QStandardPaths reads XDG_DOCUMENTS_DIR from user-dirs.dirs and falls back to ~/Documents.
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() ? home() + "/Documents" : docs;
}

QString programFolder()
{
    return QFileInfo(programPath()).absolutePath();
}

QString programPath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace StandardFolders
