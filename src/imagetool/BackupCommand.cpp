#include "imagetool/BackupCommand.h"

#include "imagetool/BackupStore.h"
#include "imagetool/DurableFile.h"
#include "imagetool/OperationLock.h"
#include "imagetool/StopRequest.h"
#include "imagetool/TargetFileSystem.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"
#include "imagetool/VolumeImager.h"
#include "platform/SystemVolumes.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxCompressionWorkers = 8;

// A volume opened for reading.
struct TOpenVolume
{
    TVolumeSource Source;
    int Fd = -1;
    quint64 Size = 0;
};

class TOpenVolumes
{
public:
    ~TOpenVolumes()
    {
        for (const TOpenVolume& volume : list)
            ::close(volume.Fd);
    }
    QList<TOpenVolume> list;
};

bool isNoSpace(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

} // namespace

TBackupCommand::TBackupCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host)
    : command(command), console(console), host(host)
{
}

int TBackupCommand::Run()
{
    TTargetFileSystem targetFileSystem;
    if (!targetFileSystem.OpenBackupTarget(command, console))
        return ecFailed;
    const QString target = targetFileSystem.Path();

    console.Line(QStringLiteral("Retrieving volume information..."));
    const TMountTable mounts = TMountTable::FromSystem();
    QStringList items = command.Include;
    if (command.AllCritical)
        for (const QString& critical : SystemVolumes::CriticalVolumes(mounts))
            if (!items.contains(critical))
                items.append(critical);
    if (items.isEmpty()) {
        console.Error(QStringLiteral("There are no volumes to back up."));
        return ecFailed;
    }

    TOpenVolumes volumes;
    QSet<QString> names;
    for (const QString& item : items) {
        const TVolumeResolution resolution = SystemVolumes::Resolve(item, mounts);
        switch (resolution.Error) {
        case TResolveError::reNone:
            break;
        case TResolveError::reAccessDenied:
            console.Line(ToolTexts::AccessDenied(QStringLiteral("back up volume %1").arg(item)));
            return ecAccessDenied;
        case TResolveError::reNotFound:
            console.Error(QStringLiteral("The volume %1 was not found.").arg(item));
            return ecFailed;
        case TResolveError::reNotAVolume:
            console.Error(
                QStringLiteral("The volume %1 cannot be backed up: %2.").arg(item, resolution.Message));
            return ecFailed;
        }
        TOpenVolume volume{resolution.Source, -1, 0};
        if (std::any_of(volumes.list.begin(), volumes.list.end(),
                        [&](const TOpenVolume& other) { return other.Source.Path == volume.Source.Path; }))
            continue; // named twice, e.g. as a mount point and as its device
        volume.Fd = ::open(QFile::encodeName(volume.Source.Path).constData(), O_RDONLY | O_CLOEXEC);
        if (volume.Fd < 0) {
            if (errno == EACCES || errno == EPERM) {
                console.Line(ToolTexts::AccessDenied(QStringLiteral("back up volume %1").arg(item)));
                return ecAccessDenied;
            }
            console.Error(QStringLiteral("The volume %1 cannot be opened: %2.")
                              .arg(item, DurableFile::ErrorText(errno)));
            return ecFailed;
        }
        volumes.list.append(volume);
        TOpenVolume& opened = volumes.list.last();
        if (volume.Source.IsBlockDevice) {
            const off_t end = ::lseek(opened.Fd, 0, SEEK_END);
            opened.Size = end < 0 ? 0 : quint64(end);
        } else {
            struct stat info;
            opened.Size = ::fstat(opened.Fd, &info) == 0 ? quint64(info.st_size) : 0;
        }
        if (volume.Source.IsBlockDevice && targetFileSystem.IsLocal() &&
            SystemVolumes::FolderIsOnDevice(target, volume.Source.Device)) {
            console.Error(
                QStringLiteral("The backup storage location %1 is on volume %2, which is included in "
                               "the backup. Choose a location on another volume.")
                    .arg(target, item));
            return ecFailed;
        }
        QString name = volume.Source.Name;
        for (int n = 2; names.contains(name); ++n)
            name = volume.Source.Name + '-' + QString::number(n);
        names.insert(name);
        opened.Source.Name = name;
    }

    TOperationLock lock;
    if (!lock.TryAcquire()) {
        console.Line(ToolTexts::Busy());
        return ecBusy;
    }
    for (const TOpenVolume& volume : volumes.list) {
        if (!volume.Source.IsBlockDevice)
            continue;
        for (const TMountEntry& mount : mounts.MountsOfDevice(volume.Source.Device))
            if (mount.ReadWrite) {
                console.Line(
                    QStringLiteral("Warning: volume %1 is mounted read-write at %2; files that change "
                                   "during the backup may be inconsistent in the image.")
                        .arg(volume.Source.Item, mount.MountPoint));
                break;
            }
    }

    TBackupStore store(target, host, &targetFileSystem.FileSystem());
    QString versionName;
    QString partialFolder;
    if (const int error =
            store.CreatePartialVersion(QDateTime::currentDateTime(), versionName, partialFolder)) {
        if (isNoSpace(error))
            console.Line(ToolTexts::NoSpace(QStringLiteral("to start a new backup")));
        else
            console.Error(QStringLiteral("The backup storage location %1 cannot be written: %2.")
                              .arg(target, DurableFile::ErrorText(error)));
        return isNoSpace(error) ? ecNoSpace : ecFailed;
    }
    auto abandon = [&](int exitCode) {
        store.RemoveFolder(partialFolder);
        return exitCode;
    };
    console.Line(QStringLiteral("Creating backup version %1 on %2.").arg(versionName, target));

    TVersionManifest manifest;
    manifest.Host = host;
    manifest.Created = QDateTime::currentDateTimeUtc();
    manifest.Tool = QStringLiteral("zorvan-imagetool " ZORVAN_VERSION);
    const int workers = std::clamp(QThread::idealThreadCount(), 1, kMaxCompressionWorkers);
    for (const TOpenVolume& volume : volumes.list) {
        const QString subject = QStringLiteral("Creating a backup of volume %1").arg(volume.Source.Item);
        console.Progress(subject, QStringLiteral("copied"), 0);
        TVolumeImager imager(volume.Fd, volume.Size, !volume.Source.IsBlockDevice);
        imager.CompressionWorkers = workers;
        imager.TargetFileSystem = &targetFileSystem.FileSystem();
        imager.StopRequested = &StopRequest::Requested;
        imager.OnProgress = [&](quint64 done, quint64 total) {
            console.Progress(subject, QStringLiteral("copied"), total == 0 ? 100 : int(done * 100 / total));
        };
        const QString file = volume.Source.Name + QStringLiteral(".img");
        const TImagingResult result = imager.Run(partialFolder + '/' + file);
        switch (result.Status) {
        case TImagingStatus::isDone:
            break;
        case TImagingStatus::isStopped:
            console.Line(QStringLiteral("The backup operation was stopped before it completed."));
            return abandon(ecStopped);
        case TImagingStatus::isReadError:
            console.Error(QStringLiteral("The volume %1 could not be read at byte %2: %3.")
                              .arg(volume.Source.Item)
                              .arg(result.ErrorOffset)
                              .arg(result.Message));
            return abandon(ecFailed);
        case TImagingStatus::isWriteError:
            if (isNoSpace(result.Errno)) {
                console.Line(ToolTexts::NoSpace(
                    QStringLiteral("to complete the backup of volume %1").arg(volume.Source.Item)));
                return abandon(ecNoSpace);
            }
            console.Error(QStringLiteral("The backup of volume %1 could not be written to %2: %3.")
                              .arg(volume.Source.Item, target, result.Message));
            return abandon(ecFailed);
        }
        TManifestImage image;
        image.Item = volume.Source.Item;
        image.Source = volume.Source.Path;
        image.Name = volume.Source.Name;
        image.File = file;
        image.Size = result.Size;
        image.DataBytes = result.DataBytes;
        image.StoredBytes = result.StoredBytes;
        image.Sha256 = result.Sha256;
        manifest.Images.append(image);
        console.Line(
            QStringLiteral("The backup of volume %1 completed successfully.").arg(volume.Source.Item));
    }
    if (StopRequest::Requested()) {
        console.Line(QStringLiteral("The backup operation was stopped before it completed."));
        return abandon(ecStopped);
    }
    if (const int error = store.CompleteVersion(partialFolder, versionName, manifest)) {
        if (isNoSpace(error)) {
            console.Line(ToolTexts::NoSpace(QStringLiteral("to complete the backup")));
            return abandon(ecNoSpace);
        }
        console.Error(QStringLiteral("The backup version %1 could not be completed on %2: %3.")
                          .arg(versionName, target, DurableFile::ErrorText(error)));
        return abandon(ecFailed);
    }
    console.Line(QStringLiteral("The backup operation successfully completed."));
    return ecSuccess;
}
