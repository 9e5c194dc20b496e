#pragma once
// The system's mounts as /proc/self/mountinfo lists them.
#include <QList>
#include <QString>

#include <sys/types.h>

struct TMountEntry
{
    dev_t Device = 0; // the st_dev of files on this mount (major:minor of the mountinfo line)
    QString MountPoint;
    QString FileSystemType;
    QString Source; // e.g. /dev/sda1, tmpfs
    bool ReadWrite = false;
};

class TMountTable
{
public:
    // Parses mountinfo text; malformed lines are skipped.
    static TMountTable Parse(const QByteArray& mountinfo);
    // The running system's table (empty when /proc is not mounted).
    static TMountTable FromSystem();

    const QList<TMountEntry>& Entries() const { return entries; }
    // The mount visible at `mountPoint` (the last one when several are stacked), or nullptr.
    const TMountEntry* FindMountPoint(const QString& mountPoint) const;
    // Every mount of the file system on `device`.
    QList<TMountEntry> MountsOfDevice(dev_t device) const;

private:
    QList<TMountEntry> entries;
};
