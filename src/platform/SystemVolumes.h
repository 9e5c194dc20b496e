#pragma once
// What the system knows about volumes: which block device or image file a volume named on the command
// line stands for, which volumes hold the running system, and whether a device is in use.
#include "platform/MountTable.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// A volume to image: a block device or, for tests and virtual machines, a plain image file.
struct TVolumeSource
{
    QString Item; // as named on the command line
    QString Path; // the device node or the image file
    QString Name; // base name of its image file (without ".img"), safe as a file name
    bool IsBlockDevice = false;
    dev_t Device = 0; // the device number of a block device
};

enum class TResolveError
{
    reNone,
    reNotFound,
    reAccessDenied,
    reNotAVolume
};

struct TVolumeResolution
{
    TVolumeSource Source;
    TResolveError Error = TResolveError::reNone;
    QString Message; // why the item is not a volume
};

namespace SystemVolumes {

// A block device, a mount point (the device mounted there) or a regular file.
TVolumeResolution Resolve(const QString& item, const TMountTable& mounts);
// The mount points of the volumes the system needs to start ("/", "/boot", "/boot/efi") that are on
// block devices. The environment variable ZORVAN_IMAGETOOL_CRITICAL_VOLUMES, when set, replaces this
// list (comma-separated; empty for none).
QStringList CriticalVolumes(const TMountTable& mounts);
// /dev/<name> of a block device number, or empty when the system has no such block device.
QString DeviceNode(dev_t device);
// The device itself, the disk it is a partition of, and every device it is built on (device-mapper
// and RAID members), transitively.
QSet<dev_t> UnderlyingDevices(dev_t device);
// True when files in `folder` are stored on the block device `device` (directly or through layers).
bool FolderIsOnDevice(const QString& folder, dev_t device);
// Why `path` must not be overwritten now (a mounted device, a device in use, the backing file of a
// mounted loop device, active swap), or empty when it is free.
QString InUseReason(const QString& path, const TMountTable& mounts);
// A name that is safe as a single file name component.
QString SafeFileName(const QString& name);

} // namespace SystemVolumes
