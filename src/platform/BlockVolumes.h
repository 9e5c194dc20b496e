#pragma once
// The mounted volumes that live on block devices: what a user calls the computer's drives. Pseudo and
// memory file systems (proc, tmpfs, overlay ...) have no block device and are left out, and so are
// packaged application images (squashfs).
#include "platform/MountTable.h"

#include <QList>
#include <QString>

struct TBlockVolume
{
    QString Device;     // the device node, e.g. /dev/sda1
    QString MountPoint; // where it is mounted first
    QString Label;      // the file system's label; empty when it has none or it cannot be read
    QString FileSystemType;
    qint64 Size = 0; // bytes; 0 when unknown
    bool ReadOnly = false;
};

// One entry per device, at its first mount in the table's order.
QList<TBlockVolume> MountedBlockVolumes(const TMountTable& mounts);
// The same for the running system.
QList<TBlockVolume> MountedBlockVolumes();
// The label of the file system on the block device `device`, or empty.
QString BlockVolumeLabel(const QString& device);
