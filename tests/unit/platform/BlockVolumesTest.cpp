#include "platform/BlockVolumes.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A block device node of this machine (attached or not: only its kind matters here), or empty.
QString anyBlockDevice()
{
    for (const QString& name :
         QDir(QStringLiteral("/sys/class/block")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        const QString node = QStringLiteral("/dev/") + name;
        struct stat st;
        if (::stat(node.toLocal8Bit().constData(), &st) == 0 && S_ISBLK(st.st_mode))
            return node;
    }
    return QString();
}

TEST(BlockVolumes, KeepsOnlyMountsOnBlockDevicesOncePerDevice)
{
    const QString device = anyBlockDevice();
    if (device.isEmpty())
        GTEST_SKIP() << "this machine shows no block device";
    const QByteArray dev = device.toUtf8();
    const QByteArray mountinfo = "21 27 0:20 / /proc rw - proc proc rw\n"
                                 "25 23 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
                                 "26 27 0:24 / /merged rw - overlay overlay rw\n"
                                 "27 1 0:25 / /null rw - ext4 /dev/null rw\n"
                                 "28 1 7:0 / /snap/core/1 ro - squashfs " +
                                 dev +
                                 " ro\n"
                                 "29 1 7:0 / /media/My\\040Disk ro - ext4 " +
                                 dev +
                                 " ro\n"
                                 "30 1 7:0 /sub /srv rw - ext4 " +
                                 dev + " rw\n";
    const QList<TBlockVolume> volumes = MountedBlockVolumes(TMountTable::Parse(mountinfo));
    ASSERT_EQ(volumes.size(), 1) << "pseudo file systems, character devices, application images and a "
                                    "second mount of the same device are left out";
    EXPECT_EQ(volumes[0].Device, device);
    EXPECT_EQ(volumes[0].MountPoint, "/media/My Disk");
    EXPECT_EQ(volumes[0].FileSystemType, "ext4");
    EXPECT_TRUE(volumes[0].ReadOnly);
}

TEST(BlockVolumes, EveryVolumeOfThisMachineIsAMountedBlockDevice)
{
    for (const TBlockVolume& volume : MountedBlockVolumes()) {
        struct stat st;
        ASSERT_EQ(::stat(volume.Device.toLocal8Bit().constData(), &st), 0) << volume.Device.toStdString();
        EXPECT_TRUE(S_ISBLK(st.st_mode)) << volume.Device.toStdString();
        EXPECT_TRUE(QFileInfo(volume.MountPoint).isDir()) << volume.MountPoint.toStdString();
        EXPECT_GT(volume.Size, 0) << volume.MountPoint.toStdString();
        EXPECT_NE(volume.FileSystemType, "tmpfs");
    }
}

} // namespace
