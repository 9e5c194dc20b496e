#include "platform/SmbBrowsing.h"

#include "platform/SmbContext.h"
#include "platform/SmbFileSystem.h"
#include "platform/SmbPath.h"

#include <libsmbclient.h>

#include <algorithm>
#include <cerrno>

namespace {

std::shared_ptr<TSmbContext> openSession(const TSmbCredentials& credentials, int& error)
{
    return TSmbContext::create(credentials.User, credentials.Password, error, kSmbBrowseTimeoutMs);
}

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

} // namespace

int ListSmbShares(const QString& serverPath, const TSmbCredentials& credentials, QStringList& shares)
{
    shares.clear();
    TSmbPath server = ParseSmbPath(serverPath);
    if (server.host.isEmpty())
        return EINVAL;
    server.share.clear();
    server.rest.clear();
    int error = 0;
    const std::shared_ptr<TSmbContext> session = openSession(credentials, error);
    if (!session)
        return error;

    const std::lock_guard lock(SmbLibraryMutex());
    SMBCCTX* context = session->handle();
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(context)(context, (server.toUrl() + '/').constData());
    if (!dir)
        return errno != 0 ? errno : EIO;
    while (const smbc_dirent* entry = smbc_getFunctionReaddir(context)(context, dir)) {
        // (name is declared as a one-byte array: read it as a C string, not as an array.)
        const QString name = QString::fromUtf8(static_cast<const char*>(entry->name));
        if (entry->smbc_type == SMBC_FILE_SHARE && !name.isEmpty() && !name.endsWith('$'))
            shares.append(name);
    }
    smbc_getFunctionClosedir(context)(context, dir);
    sortNames(shares);
    return 0;
}

int ListSmbFolders(const QString& folderPath, const TSmbCredentials& credentials, QStringList& folders)
{
    folders.clear();
    if (!ParseSmbPath(folderPath).isValid())
        return EINVAL;
    int error = 0;
    const std::shared_ptr<TSmbContext> session = openSession(credentials, error);
    if (!session)
        return error;
    TSmbFileSystem fileSystem(session);
    QList<TDirEntry> entries;
    error = fileSystem.list(folderPath, entries);
    if (error != 0)
        return error;
    for (const TDirEntry& entry : entries)
        if (entry.stat.isFolder)
            folders.append(entry.name);
    sortNames(folders);
    return 0;
}

int CheckSmbFolder(const QString& folderPath, const TSmbCredentials& credentials)
{
    if (!ParseSmbPath(folderPath).isValid())
        return EINVAL;
    int error = 0;
    const std::shared_ptr<TSmbContext> session = openSession(credentials, error);
    if (!session)
        return error;
    TSmbFileSystem fileSystem(session);
    TFileStat stat;
    error = fileSystem.stat(folderPath, stat);
    if (error != 0)
        return error;
    return stat.isFolder ? 0 : ENOTDIR;
}
