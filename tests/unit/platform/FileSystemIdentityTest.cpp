#include "platform/FileSystemIdentity.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace TestEnvironment;

TEST(FileSystemIdentity, SameByUuidWhenBothHaveOneElseByDeviceMountPointAndId)
{
    const TFileSystemIdentity usb{"0A1B-2C3D", "8:17", "vfat", "/dev/sdb1", "/media/usb", "00000811"};
    const struct
    {
        TFileSystemIdentity other;
        bool same;
    } cases[] = {
        {usb, true},
        // The same drive, plugged in as another device and mounted elsewhere.
        {{"0A1B-2C3D", "8:33", "vfat", "/dev/sdc1", "/media/usb1", "00000821"}, true},
        // Another drive that got the same device and mount point.
        {{"9999-0000", "8:17", "vfat", "/dev/sdb1", "/media/usb", "00000811"}, false},
        // No UUID known this time (no udev): the device, mount point and id decide.
        {{"", "8:17", "vfat", "/dev/sdb1", "/media/usb", "00000811"}, true},
        {{"", "8:17", "vfat", "/dev/sdb1", "/media/usb", ""}, true},
        {{"", "8:17", "vfat", "/dev/sdb1", "/media/usb", "7e3a90c1"}, false},
        {{"", "8:17", "vfat", "/dev/sdb1", "/mnt", "00000811"}, false},
        {{"", "8:18", "vfat", "/dev/sdb2", "/media/usb", ""}, false},
        // The empty mount point on the system disk.
        {{"", "259:2", "ext4", "/dev/nvme0n1p2", "/", "4f1c02aa"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(usb.sameAs(c.other), c.same)
            << c.other.Uuid.toStdString() << ' ' << c.other.Device.toStdString() << ' '
            << c.other.MountPoint.toStdString() << ' ' << c.other.FileSystemId.toStdString();
        EXPECT_EQ(c.other.sameAs(usb), c.same);
    }
}

// Two RAM disks, one mounted inside the other, and a third stacked over the inner one: each path is
// told by the file system that really holds it, and by the UUID a link names for its device.
TEST(FileSystemIdentity, NamesTheFileSystemThatHoldsThePath)
{
    const QString root = makeFolder("identity");
    TmpfsMount system(root + "/system", "zorvan-system");
    ZORVAN_SKIP_UNLESS(system.mounted(), "mounting a tmpfs needs root rights");
    const QString point = root + "/system/media/usb";
    QDir().mkpath(point + "/leftover");
    TmpfsMount drive(point, "zorvan-drive");
    ASSERT_TRUE(drive.mounted());
    QDir().mkpath(point + "/Backups/Job");
    QFile::link(point + "/Backups", root + "/system/link-to-backups");

    const struct
    {
        QString path;
        QString source, mountPoint, device;
    } cases[] = {
        {root + "/system", "zorvan-system", root + "/system", system.device()},
        {root + "/system/media", "zorvan-system", root + "/system", system.device()},
        {point, "zorvan-drive", point, drive.device()},
        {point + "/Backups/Job", "zorvan-drive", point, drive.device()},
        {root + "/system/link-to-backups", "zorvan-drive", point, drive.device()},
    };
    for (const auto& c : cases) {
        int error = -1;
        const TFileSystemIdentity identity = FileSystemIdentityOf(c.path, error);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(identity.Source, c.source) << c.path.toStdString();
        EXPECT_EQ(identity.MountPoint, c.mountPoint) << c.path.toStdString();
        EXPECT_EQ(identity.Device, c.device) << c.path.toStdString();
        EXPECT_EQ(identity.FileSystemType, "tmpfs");
    }

    {
        TmpfsMount over(point, "zorvan-over");
        ASSERT_TRUE(over.mounted());
        int error = -1;
        const TFileSystemIdentity top = FileSystemIdentityOf(point, error);
        EXPECT_EQ(top.Source, "zorvan-over");
        EXPECT_EQ(top.Device, over.device());
        EXPECT_FALSE(top.sameAs(FileSystemIdentityOf(root + "/system", error)));
    }

    // A link in the UUID folder to a block device with the drive's number names its UUID.
    const QString uuids = makeFolder("by-uuid");
    const QString node = makeFolder("nodes") + "/drive";
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(point).constData(), &st), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(node).constData(), S_IFBLK | 0600, st.st_dev), 0);
    ASSERT_TRUE(QFile::link(node, uuids + "/5f2e-77aa"));
    QFile::link(root + "/missing", uuids + "/dangling");
    int error = -1;
    EXPECT_EQ(FileSystemIdentityOf(point + "/Backups", error, uuids).Uuid, "5f2e-77aa");
    EXPECT_EQ(FileSystemIdentityOf(root + "/system", error, uuids).Uuid, "");

    const TFileSystemIdentity before = FileSystemIdentityOf(point, error);
    drive.unmount();
    const TFileSystemIdentity unmounted = FileSystemIdentityOf(point, error, uuids);
    EXPECT_EQ(unmounted.Source, "zorvan-system");
    EXPECT_EQ(unmounted.MountPoint, root + "/system");
    EXPECT_FALSE(unmounted.sameAs(before));
    // Another RAM disk in the same place often gets the same device number; the kernel's id for the
    // file system tells it apart where the kernel gives tmpfs one.
    TmpfsMount again(point, "zorvan-drive");
    ASSERT_TRUE(again.mounted());
    const TFileSystemIdentity other = FileSystemIdentityOf(point, error);
    if (!other.FileSystemId.isEmpty()) {
        EXPECT_FALSE(other.sameAs(before));
    }
    again.unmount();

    EXPECT_TRUE(FileSystemIdentityOf(point + "/Backups", error).isNull());
    EXPECT_EQ(error, ENOENT);
}
