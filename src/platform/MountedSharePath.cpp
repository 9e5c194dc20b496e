#include "platform/MountedSharePath.h"

#include "platform/DirectoryListing.h"
#include "platform/MountTable.h"
#include "platform/StandardFolders.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// Appends the rest of a path below a mount to a share path.
QString Below(const QString& share, const QString& rest)
{
    return rest.isEmpty() ? share : share + '/' + rest;
}

} // namespace

QString MountedSharesFolder()
{
    const QString folder = StandardFolders::runtimeFolder() + QStringLiteral("/gvfs");
    return SourceFolderExists(folder) ? folder : QString();
}

QString NetworkPathOfMountedFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    // GVFS: <runtime>/gvfs/smb-share:server=host,share=name[,user=...]/dir
    static const QRegularExpression gvfs(QStringLiteral("/gvfs/smb-share:([^/]*)(?:/(.*))?$"));
    const QRegularExpressionMatch match = gvfs.match(clean);
    if (match.hasMatch()) {
        QString server;
        QString share;
        for (const QString& field : match.captured(1).split(',')) {
            if (field.startsWith(QLatin1String("server=")))
                server = field.mid(7);
            else if (field.startsWith(QLatin1String("share=")))
                share = field.mid(6);
        }
        if (!server.isEmpty() && !share.isEmpty())
            return Below(QStringLiteral("//") + server + '/' + share, match.captured(2));
    }
    // A share the system mounted: the longest mount point that holds the folder.
    const TMountTable mounts = TMountTable::FromSystem();
    const TMountEntry* holder = nullptr;
    for (const TMountEntry& mount : mounts.Entries()) {
        const bool holds = clean == mount.MountPoint || clean.startsWith(mount.MountPoint + '/');
        if (holds && (!holder || mount.MountPoint.size() > holder->MountPoint.size()))
            holder = &mount;
    }
    if (holder &&
        (holder->FileSystemType == QLatin1String("cifs") ||
         holder->FileSystemType == QLatin1String("smb3")) &&
        holder->Source.startsWith(QLatin1String("//")))
        return Below(holder->Source, clean.mid(holder->MountPoint.size() + 1));
    return path;
}
