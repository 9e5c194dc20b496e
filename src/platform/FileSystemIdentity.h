#pragma once
// Which mounted file system holds a folder, told apart from the others over time: by the file
// system's UUID where the system knows one, else by its device number, mount point and the id the
// kernel reports for it (tmpfs, and any file system where udev does not run, have no UUID).
#include <QString>

struct TFileSystemIdentity
{
    QString Uuid;           // from /dev/disk/by-uuid; empty when the file system has none there
    QString Device;         // "major:minor" of the files on it
    QString FileSystemType; // "ext4", "tmpfs", ...
    QString Source;         // what is mounted: "/dev/sdb1", "tmpfs"
    QString MountPoint;
    QString FileSystemId; // statfs f_fsid in hex, empty when 0: made from the UUID (ext4, btrfs), the
                          // device (xfs, vfat) or anew at each mount (tmpfs)

    bool isNull() const { return Device.isEmpty(); }
    // The same file system: the same UUID when both have one, else the same device at the same mount
    // point with no other file system id (a device number alone is handed out again to the next drive
    // or RAM disk).
    bool sameAs(const TFileSystemIdentity& other) const;
};

// The file system that holds the existing file or folder `path`; a null identity with errno in
// `error` when the path cannot be looked at. `uuidFolder` lists the UUIDs as links to block devices.
TFileSystemIdentity FileSystemIdentityOf(const QString& path, int& error,
                                         const QString& uuidFolder = QStringLiteral("/dev/disk/by-uuid"));
