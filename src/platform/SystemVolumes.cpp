#include "platform/SystemVolumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

QString sysBlockFolder(dev_t device)
{
    return QStringLiteral("/sys/dev/block/%1:%2").arg(major(device)).arg(minor(device));
}

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Parses a sysfs "dev" file ("8:1").
bool parseDeviceNumber(const QByteArray& text, dev_t& device)
{
    const QList<QByteArray> parts = text.trimmed().split(':');
    bool majorOk = false;
    bool minorOk = false;
    const unsigned majorNumber = parts.value(0).toUInt(&majorOk);
    const unsigned minorNumber = parts.value(1).toUInt(&minorOk);
    if (parts.size() != 2 || !majorOk || !minorOk)
        return false;
    device = makedev(majorNumber, minorNumber);
    return true;
}

bool statPath(const QString& path, struct stat& info)
{
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// Devices listed in /proc/swaps (devices by number, swap files by device and inode).
bool isActiveSwap(const struct stat& target)
{
    const QList<QByteArray> lines = readSmallFile(QStringLiteral("/proc/swaps")).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray name = lines[i].split(' ').value(0).replace("\\040", " ");
        struct stat info;
        if (name.isEmpty() || ::stat(name.constData(), &info) != 0)
            continue;
        if (S_ISBLK(target.st_mode) && S_ISBLK(info.st_mode) && info.st_rdev == target.st_rdev)
            return true;
        if (S_ISREG(target.st_mode) && info.st_dev == target.st_dev && info.st_ino == target.st_ino)
            return true;
    }
    return false;
}

QString mountedReason(dev_t device, const TMountTable& mounts)
{
    for (const TMountEntry& entry : mounts.Entries()) {
        if (major(entry.Device) == 0)
            continue;
        if (entry.Device == device)
            return QStringLiteral("it is mounted at %1").arg(entry.MountPoint);
        if (SystemVolumes::UnderlyingDevices(entry.Device).contains(device))
            return QStringLiteral("it holds %1, which is mounted at %2")
                .arg(SystemVolumes::DeviceNode(entry.Device), entry.MountPoint);
    }
    return {};
}

} // namespace

namespace SystemVolumes {

QString SafeFileName(const QString& name)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    QString safe = name;
    safe.replace(unsafe, QStringLiteral("_"));
    while (safe.startsWith('.'))
        safe.remove(0, 1);
    return safe.isEmpty() ? QStringLiteral("volume") : safe;
}

QString DeviceNode(dev_t device)
{
    const QByteArray uevent = readSmallFile(sysBlockFolder(device) + QStringLiteral("/uevent"));
    for (const QByteArray& line : uevent.split('\n'))
        if (line.startsWith("DEVNAME="))
            return QStringLiteral("/dev/") + QString::fromUtf8(line.mid(8));
    return {};
}

QSet<dev_t> UnderlyingDevices(dev_t device)
{
    QSet<dev_t> found;
    QList<dev_t> pending{device};
    while (!pending.isEmpty()) {
        const dev_t current = pending.takeLast();
        if (found.contains(current))
            continue;
        found.insert(current);
        const QString folder = sysBlockFolder(current);
        dev_t parent = 0;
        // A partition's sysfs folder lies inside its disk's folder.
        if (QFileInfo::exists(folder + QStringLiteral("/partition"))) {
            const QString diskFolder = QFileInfo(QFileInfo(folder).canonicalFilePath()).path();
            if (parseDeviceNumber(readSmallFile(diskFolder + QStringLiteral("/dev")), parent))
                pending.append(parent);
        }
        const QDir slaves(folder + QStringLiteral("/slaves"));
        for (const QString& slave : slaves.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            dev_t member = 0;
            if (parseDeviceNumber(readSmallFile(slaves.filePath(slave) + QStringLiteral("/dev")), member))
                pending.append(member);
        }
    }
    return found;
}

bool FolderIsOnDevice(const QString& folder, dev_t device)
{
    struct stat info;
    if (!statPath(folder, info) || major(info.st_dev) == 0)
        return false;
    return UnderlyingDevices(info.st_dev).contains(device);
}

TVolumeResolution Resolve(const QString& item, const TMountTable& mounts)
{
    TVolumeResolution result;
    TVolumeSource& source = result.Source;
    source.Item = item;
    struct stat info;
    if (!statPath(item, info)) {
        const int error = errno;
        result.Error =
            (error == EACCES || error == EPERM) ? TResolveError::reAccessDenied : TResolveError::reNotFound;
        return result;
    }
    if (S_ISBLK(info.st_mode)) {
        source.Path = QFileInfo(item).canonicalFilePath();
        source.IsBlockDevice = true;
        source.Device = info.st_rdev;
        source.Name = SafeFileName(QFileInfo(source.Path).fileName());
        return result;
    }
    if (S_ISREG(info.st_mode)) {
        source.Path = QFileInfo(item).absoluteFilePath();
        source.Name = SafeFileName(QFileInfo(source.Path).fileName());
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        const QString folder = QFileInfo(item).canonicalFilePath();
        const TMountEntry* mount = mounts.FindMountPoint(folder);
        if (!mount) {
            result.Error = TResolveError::reNotAVolume;
            result.Message = QStringLiteral("%1 is a folder, not the mount point of a volume").arg(item);
            return result;
        }
        const QString node = major(mount->Device) == 0 ? QString() : DeviceNode(mount->Device);
        struct stat nodeInfo;
        if (node.isEmpty() || !statPath(node, nodeInfo) || !S_ISBLK(nodeInfo.st_mode) ||
            nodeInfo.st_rdev != mount->Device) {
            result.Error = TResolveError::reNotAVolume;
            result.Message = QStringLiteral("the file system mounted at %1 (%2) is not on a block device")
                                 .arg(item, mount->FileSystemType);
            return result;
        }
        source.Path = node;
        source.IsBlockDevice = true;
        source.Device = mount->Device;
        source.Name = SafeFileName(QFileInfo(node).fileName());
        return result;
    }
    result.Error = TResolveError::reNotAVolume;
    result.Message =
        QStringLiteral("%1 is neither a block device, a mount point nor an image file").arg(item);
    return result;
}

QStringList CriticalVolumes(const TMountTable& mounts)
{
    if (qEnvironmentVariableIsSet("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES")) {
        QStringList list;
        for (const QString& item : qEnvironmentVariable("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES").split(','))
            if (!item.trimmed().isEmpty())
                list.append(item.trimmed());
        return list;
    }
    QStringList list;
    for (const QString& mountPoint :
         {QStringLiteral("/"), QStringLiteral("/boot"), QStringLiteral("/boot/efi")}) {
        const TMountEntry* mount = mounts.FindMountPoint(mountPoint);
        if (mount && major(mount->Device) != 0 && !DeviceNode(mount->Device).isEmpty())
            list.append(mountPoint);
    }
    return list;
}

QString InUseReason(const QString& path, const TMountTable& mounts)
{
    struct stat target;
    if (!statPath(path, target))
        return {};
    if (S_ISBLK(target.st_mode)) {
        QString reason = mountedReason(target.st_rdev, mounts);
        if (!reason.isEmpty())
            return reason;
        if (isActiveSwap(target))
            return QStringLiteral("it is used as swap space");
        const QStringList holders = QDir(sysBlockFolder(target.st_rdev) + QStringLiteral("/holders"))
                                        .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (!holders.isEmpty())
            return QStringLiteral("it is in use by %1").arg(holders.join(QStringLiteral(", ")));
        return {};
    }
    if (S_ISREG(target.st_mode)) {
        if (isActiveSwap(target))
            return QStringLiteral("it is used as swap space");
        const QDir block(QStringLiteral("/sys/block"));
        for (const QString& name : block.entryList({QStringLiteral("loop*")}, QDir::Dirs)) {
            const QString backing = QString::fromUtf8(
                readSmallFile(block.filePath(name) + QStringLiteral("/loop/backing_file")).trimmed());
            struct stat info;
            if (backing.isEmpty() || !statPath(backing, info) || info.st_dev != target.st_dev ||
                info.st_ino != target.st_ino)
                continue;
            dev_t loop = 0;
            if (!parseDeviceNumber(readSmallFile(block.filePath(name) + QStringLiteral("/dev")), loop))
                continue;
            const QString mounted = mountedReason(loop, mounts);
            if (!mounted.isEmpty())
                return QStringLiteral("it is the backing file of /dev/%1, which %2")
                    .arg(name, mounted.mid(3));
        }
    }
    return {};
}

} // namespace SystemVolumes
