#include "platform/AskingUser.h"

#include "platform/StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

QMutex addedFoldersMutex;
QStringList addedFolders;

std::optional<TAskingUser> userWithId(uid_t uid)
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::nullopt;
    return TAskingUser{found->pw_uid, found->pw_gid, QFile::decodeName(found->pw_dir)};
}

// The folder itself, its links resolved; empty when it does not exist or is the file system's root
// (which would take in everything).
QString resolvedFolder(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    return resolved == QLatin1String("/") ? QString() : resolved;
}

bool isInUserFolder(const QString& path, const TAskingUser& user)
{
    // The item's folder with its links resolved, so that a link inside the user's folders cannot lead
    // the change elsewhere; the item itself is never followed.
    const QFileInfo item(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QString parent = QFileInfo(item.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || item.fileName().isEmpty())
        return false;
    const QString candidate = (parent == QLatin1String("/") ? QString() : parent) + '/' + item.fileName();

    QStringList roots{user.home, StandardFolders::dataHomeFolder(), StandardFolders::configFolder(),
                      StandardFolders::cacheFolder()};
    // The runtime folder only when it is the user's own: its fallback, the temporary folder, is shared.
    struct stat runtime
    {
    };
    const QString runtimeFolder = StandardFolders::runtimeFolder();
    if (stat(QFile::encodeName(runtimeFolder).constData(), &runtime) == 0 && runtime.st_uid == user.uid)
        roots << runtimeFolder;
    {
        QMutexLocker lock(&addedFoldersMutex);
        roots += addedFolders;
    }
    for (const QString& root : roots) {
        const QString resolved = resolvedFolder(root);
        if (!resolved.isEmpty() && (candidate == resolved || candidate.startsWith(resolved + '/')))
            return true;
    }
    return false;
}

} // namespace

std::optional<TAskingUser> AskingUser()
{
    if (geteuid() != 0)
        return std::nullopt;
    for (const char* name : {"PKEXEC_UID", "SUDO_UID"}) {
        const QByteArray value = qgetenv(name);
        if (value.isEmpty())
            continue;
        bool ok = false;
        const uint uid = value.toUInt(&ok);
        if (!ok || uid == 0)
            return std::nullopt;
        return userWithId(uid_t(uid));
    }
    return std::nullopt;
}

uid_t WorkingUserId()
{
    const std::optional<TAskingUser> user = AskingUser();
    return user ? user->uid : getuid();
}

void AddAskingUserFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const QString clean = QDir::cleanPath(folder);
    QMutexLocker lock(&addedFoldersMutex);
    if (!addedFolders.contains(clean))
        addedFolders.append(clean);
}

bool GiveToAskingUser(const QString& path)
{
    const std::optional<TAskingUser> user = AskingUser();
    if (!user || !isInUserFolder(path, *user))
        return true;
    return lchown(QFile::encodeName(path).constData(), user->uid, user->gid) == 0;
}

bool MakePathForAskingUser(const QString& folder)
{
    QStringList created;
    for (QString level = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
         !QFileInfo(level).isSymLink() && !QFileInfo::exists(level); level = QFileInfo(level).path())
        created.prepend(level);
    if (!QDir().mkpath(folder))
        return false;
    for (const QString& level : created)
        GiveToAskingUser(level);
    return true;
}
