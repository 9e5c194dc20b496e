// The image tool's view of the system's volumes: file names made from device names, and the critical
// volumes (those a system image always holds), which the environment can replace.
#include "platform/SystemVolumes.h"
#include "platform/MountTable.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kRootOnly = "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n";

TEST(SystemVolumes, SafeFileNames)
{
    EXPECT_EQ(SystemVolumes::SafeFileName("sda1"), "sda1");
    EXPECT_EQ(SystemVolumes::SafeFileName("../etc/passwd"), "_etc_passwd");
    EXPECT_EQ(SystemVolumes::SafeFileName("my disk.raw"), "my_disk.raw");
    EXPECT_EQ(SystemVolumes::SafeFileName(".."), "volume");
}

TEST(SystemVolumes, CriticalVolumesCanBeReplacedThroughTheEnvironment)
{
    qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "/data/a.img, /data/b.img");
    EXPECT_EQ(SystemVolumes::CriticalVolumes(TMountTable::Parse(kRootOnly)),
              QStringList({"/data/a.img", "/data/b.img"}));
    qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "");
    EXPECT_TRUE(SystemVolumes::CriticalVolumes(TMountTable::Parse(kRootOnly)).isEmpty());
    qunsetenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES");
}

} // namespace
