#pragma once
// Putting a drive image job's volume back. The running system's own volume can only be recovered
// from another system (a live USB system running the image tool): for that the guidance shows the
// tool's command line. A volume the running system does not use (an unmounted data partition, a
// volume file, a disk for another computer) can be recovered at once: the tool's recovery then runs
// here, with its progress in the job's fields.
#include "platform/MountTable.h"

#include <QList>
#include <QString>
#include <QStringList>

class TJob_DriveImage;

struct TImageVersionInfo
{
    QString Identifier; // the tool's version identifier
    QString BackupTime; // "yyyy-MM-dd hh:mm:ss"
    QString Volumes;    // the volumes with their sizes, as the tool lists them
};

// What a recovery needs: which version, which of its volumes, and where it goes.
struct TRecoveryRequest
{
    QString Version;
    QString Volume;
    QString Target;
};

namespace DriveImageRecovery {

// The job's volumes as the tool names them in its versions.
QStringList JobVolumes(const TJob_DriveImage& job);
// Where a volume is found now: the device mounted at a mount point, else the volume as named.
QString VolumeLocation(const QString& volume, const TMountTable& mounts);

// The versions the tool lists in its "get versions" output, oldest first.
QList<TImageVersionInfo> ParseVersions(const QString& output);
// Runs the tool's "get versions" for the job's storage. False with the reason in `error`.
bool ReadVersions(const TJob_DriveImage& job, QList<TImageVersionInfo>& versions, QString& error);

// The tool's arguments (after the command words) that recover `request` for the job; `quiet` asks
// no confirmation. The versions are read under this computer's name, so that a system started from
// other media finds them.
QStringList RecoveryArguments(const TJob_DriveImage& job, const TRecoveryRequest& request, bool quiet);
// The command a user types on a live system to recover `request`, as one shell line run with sudo.
QString GuidanceCommandLine(const TJob_DriveImage& job, const TRecoveryRequest& request);

// Whether `volume` can be recovered while this system runs: it is not the running system's root and
// nothing has it mounted.
bool CanRecoverNow(const QString& volume, const TMountTable& mounts);
// Why `target` must not be overwritten now, as a translated message; empty when it may. Refused: the
// drive that holds the job's storage, anything mounted or in use, what is neither a block device nor
// a file, and a file in a folder that does not exist.
QString TargetRefusal(const TJob_DriveImage& job, const QString& target, const TMountTable& mounts);
// The target with its size for the confirmation, e.g. "/dev/sdb1 (8 GB)".
QString TargetDescription(const QString& target);

// Starts the recovery on a worker thread (the tool, elevated unless this process already is) and
// returns at once; the job shows its progress and is idle again at the end. False, with nothing
// changed, when the job is running in this or another process.
bool StartRecovery(TJob_DriveImage& job, const TRecoveryRequest& request);

} // namespace DriveImageRecovery
