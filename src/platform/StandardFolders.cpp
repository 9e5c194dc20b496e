#include "platform/StandardFolders.h"

#include "platform/AskingUser.h"

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

} // namespace

namespace StandardFolders {

QString homeFolder()
{
    // Root's HOME is not the asking user's home: pkexec sets it to root's, sudo mostly does too.
    if (const std::optional<TAskingUser> user = AskingUser(); user && !user->home.isEmpty())
        return user->home;
    return envOr("HOME", QDir::homePath());
}

QString dataHomeFolder()
{
    return envOr("XDG_DATA_HOME", homeFolder() + "/.local/share");
}

QString applicationDataFolder()
{
    return dataHomeFolder() + "/" ZORVAN_APP_TITLE;
}

QString sharedDataFolder()
{
    return QStringLiteral("/var/tmp/" ZORVAN_APP_TITLE);
}

QString configFolder()
{
    return envOr("XDG_CONFIG_HOME", homeFolder() + "/.config");
}

QString cacheFolder()
{
    return envOr("XDG_CACHE_HOME", homeFolder() + "/.cache");
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
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        return homeFolder() + "/Documents";
    // Qt resolves "$HOME" with this process's home, which for an elevated instance is root's.
    const QString processHome = QDir::homePath();
    const QString home = homeFolder();
    if (home != processHome && (docs == processHome || docs.startsWith(processHome + '/')))
        docs.replace(0, processHome.size(), home);
    return docs;
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
