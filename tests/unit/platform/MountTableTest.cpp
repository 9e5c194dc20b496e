#include "platform/MountTable.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

namespace {

const QByteArray kMountinfo =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "30 28 8:1 / /boot/efi rw,relatime shared:5 master:1 - vfat /dev/sda1 rw,fmask=0077\n"
    "31 28 8:17 / /media/anna/My\\040Disk ro,nosuid - ext4 /dev/sdb1 ro\n"
    "32 28 8:2 /srv /srv rw,relatime - ext4 /dev/sda2 rw\n"
    "33 28 0:40 / /media/anna/My\\040Disk rw - tmpfs tmpfs rw\n"
    "garbage line\n"
    "34 28 x:y / /bad rw - ext4 /dev/bad rw\n";

TEST(MountTable, ParsesEntriesWithEscapesAndOptionalFields)
{
    const TMountTable table = TMountTable::Parse(kMountinfo);
    ASSERT_EQ(table.Entries().size(), 6);
    const TMountEntry& efi = table.Entries()[2];
    EXPECT_EQ(efi.Device, makedev(8, 1));
    EXPECT_EQ(efi.MountPoint, "/boot/efi");
    EXPECT_EQ(efi.FileSystemType, "vfat");
    EXPECT_EQ(efi.Source, "/dev/sda1");
    EXPECT_TRUE(efi.ReadWrite);
    EXPECT_FALSE(table.Entries()[3].ReadWrite);
    EXPECT_EQ(table.Entries()[3].MountPoint, "/media/anna/My Disk");
}

TEST(MountTable, FindsTheVisibleMountAndEveryMountOfADevice)
{
    const TMountTable table = TMountTable::Parse(kMountinfo);
    // Two mounts on one folder: the later one hides the earlier.
    const TMountEntry* disk = table.FindMountPoint("/media/anna/My Disk");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->FileSystemType, "tmpfs");
    EXPECT_EQ(table.FindMountPoint("/media"), nullptr);
    const QList<TMountEntry> root = table.MountsOfDevice(makedev(8, 2));
    ASSERT_EQ(root.size(), 2);
    EXPECT_EQ(root[1].MountPoint, "/srv");
}

TEST(MountTable, ReadsTheRunningSystem)
{
    const TMountTable table = TMountTable::FromSystem();
    EXPECT_NE(table.FindMountPoint("/"), nullptr);
}

} // namespace
