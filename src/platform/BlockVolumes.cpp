#include "platform/BlockVolumes.h"

#include "platform/ChildProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <optional>

#include <sys/stat.h>

namespace {

// udev names the links of /dev/disk/by-label with \xNN escapes for blanks and other bytes.
QString unescapeUdev(const QString& name)
{
    QByteArray out;
    const QByteArray in = name.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

QString labelFromUdevLinks(const QString& device)
{
    const QString canonicalDevice = QFileInfo(device).canonicalFilePath();
    const QDir links(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (link.canonicalFilePath() == canonicalDevice)
            return unescapeUdev(link.fileName());
    return QString();
}

// Runs blkid for the label; nullopt when it failed (it cannot read the device, or it hung).
std::optional<QString> runBlkidForLabel(const QStringList& options, const QString& device)
{
    TChildProcess blkid;
    if (blkid.start(QStringLiteral("blkid"),
                    options + QStringList{QStringLiteral("-o"), QStringLiteral("value"), QStringLiteral("-s"),
                                          QStringLiteral("LABEL"), device}) != 0)
        return std::nullopt;
    QByteArray output;
    for (int waited = 0; !blkid.waitForFinished(50) && waited < 2000; waited += 50)
        if (blkid.bytesAvailable() > 0)
            output += blkid.read(blkid.bytesAvailable());
    if (!blkid.hasFinished()) {
        blkid.terminate();
        return std::nullopt;
    }
    for (QByteArray piece = blkid.read(4096); !piece.isEmpty(); piece = blkid.read(4096))
        output += piece;
    if (!blkid.exitedNormally() || blkid.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(output).trimmed();
}

// Without udev (containers, minimal systems) blkid reads the label. Probing the device itself comes
// first: blkid's cache can still hold the label of a file system that was on the device a moment ago
// (a loop device set up again). The cache answers only when the device cannot be read.
QString labelFromBlkid(const QString& device)
{
    if (const std::optional<QString> probed = runBlkidForLabel({QStringLiteral("-p")}, device))
        return *probed;
    return runBlkidForLabel({}, device).value_or(QString());
}

bool isBlockDevice(const QString& path, dev_t& device)
{
    struct stat st;
    if (!path.startsWith('/') || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISBLK(st.st_mode))
        return false;
    device = st.st_rdev;
    return true;
}

} // namespace

QString BlockVolumeLabel(const QString& device)
{
    // Where udev keeps /dev/disk, a volume without a link by label has no label.
    if (QFileInfo(QStringLiteral("/dev/disk")).isDir())
        return labelFromUdevLinks(device);
    return labelFromBlkid(device);
}

QList<TBlockVolume> MountedBlockVolumes(const TMountTable& mounts)
{
    QList<TBlockVolume> volumes;
    QSet<dev_t> seen;
    for (const TMountEntry& entry : mounts.Entries()) {
        dev_t device = 0;
        if (entry.FileSystemType == QStringLiteral("squashfs") || !isBlockDevice(entry.Source, device) ||
            seen.contains(device))
            continue;
        seen.insert(device);
        TBlockVolume volume;
        volume.Device = entry.Source;
        volume.MountPoint = entry.MountPoint;
        volume.FileSystemType = entry.FileSystemType;
        volume.ReadOnly = !entry.ReadWrite;
        volume.Label = BlockVolumeLabel(entry.Source);
        const QStorageInfo storage(entry.MountPoint);
        volume.Size = storage.isValid() ? storage.bytesTotal() : 0;
        volumes.append(volume);
    }
    return volumes;
}

QList<TBlockVolume> MountedBlockVolumes()
{
    return MountedBlockVolumes(TMountTable::FromSystem());
}
