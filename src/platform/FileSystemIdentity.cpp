#include "platform/FileSystemIdentity.h"

#include "platform/MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {
bool isBelow(const QString& path, const QString& mountPoint)
{
    return mountPoint == QLatin1String("/") || path == mountPoint || path.startsWith(mountPoint + '/');
}

// The mount that holds `path`: the deepest mount point above it, the visible one of stacked mounts.
// Mounts of the path's own device come first; a btrfs subvolume reports a device of its own.
const TMountEntry* mountHolding(const TMountTable& mounts, const QString& path, dev_t device)
{
    for (const bool sameDevice : {true, false}) {
        const TMountEntry* best = nullptr;
        for (const TMountEntry& entry : mounts.Entries()) {
            if ((sameDevice && entry.Device != device) || !isBelow(path, entry.MountPoint))
                continue;
            if (!best || entry.MountPoint.size() >= best->MountPoint.size())
                best = &entry;
        }
        if (best)
            return best;
    }
    return nullptr;
}

// The name of the link in `uuidFolder` that leads to the block device of the file system: the device
// of its files, or the mounted device (they differ on btrfs).
QString uuidOf(const QString& uuidFolder, dev_t device, const QString& source)
{
    struct stat st;
    dev_t mounted = device;
    if (source.startsWith('/') && ::stat(QFile::encodeName(source).constData(), &st) == 0 &&
        S_ISBLK(st.st_mode))
        mounted = st.st_rdev;
    const QDir folder(uuidFolder);
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (::stat(QFile::encodeName(folder.filePath(name)).constData(), &st) == 0 && S_ISBLK(st.st_mode) &&
            (st.st_rdev == device || st.st_rdev == mounted))
            return name;
    }
    return {};
}
} // namespace

bool TFileSystemIdentity::sameAs(const TFileSystemIdentity& other) const
{
    if (!Uuid.isEmpty() && !other.Uuid.isEmpty())
        return Uuid == other.Uuid;
    return Device == other.Device && MountPoint == other.MountPoint &&
           (FileSystemId.isEmpty() || other.FileSystemId.isEmpty() || FileSystemId == other.FileSystemId);
}

TFileSystemIdentity FileSystemIdentityOf(const QString& path, int& error, const QString& uuidFolder)
{
    error = 0;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        error = errno;
        return {};
    }
    TFileSystemIdentity identity;
    identity.Device = QString::number(major(st.st_dev)) + ':' + QString::number(minor(st.st_dev));
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const TMountTable mounts = TMountTable::FromSystem();
    if (const TMountEntry* mount = mountHolding(mounts, canonical, st.st_dev)) {
        identity.FileSystemType = mount->FileSystemType;
        identity.Source = mount->Source;
        identity.MountPoint = mount->MountPoint;
    }
    identity.Uuid = uuidOf(uuidFolder, st.st_dev, identity.Source);
    struct statfs volume;
    if (::statfs(QFile::encodeName(path).constData(), &volume) == 0 &&
        (volume.f_fsid.__val[0] != 0 || volume.f_fsid.__val[1] != 0))
        identity.FileSystemId =
            QString::asprintf("%08x%08x", unsigned(volume.f_fsid.__val[0]), unsigned(volume.f_fsid.__val[1]));
    return identity;
}
