#include "imagetool/RecoveryCommand.h"

#include "imagetool/BackupStore.h"
#include "imagetool/DurableFile.h"
#include "imagetool/ImageReader.h"
#include "imagetool/OperationLock.h"
#include "imagetool/StopRequest.h"
#include "imagetool/TargetFileSystem.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"
#include "imagetool/VolumeRestorer.h"
#include "platform/SystemVolumes.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TRecoveryCommand::TRecoveryCommand(const TImageToolCommand& command, TToolConsole& console,
                                   const QString& host)
    : command(command), console(console), host(host)
{
}

int TRecoveryCommand::Run()
{
    const QString target = command.RecoveryTarget;
    const QString item = command.Items;
    TTargetFileSystem sourceFileSystem;
    QString connectError;
    if (!sourceFileSystem.Open(command.BackupTarget, command.User, command.Password, connectError)) {
        console.Error(QStringLiteral("The backup storage location %1 cannot be reached: %2")
                          .arg(command.BackupTarget, connectError));
        return ecFailed;
    }
    const QString source = sourceFileSystem.Path();
    TBackupStore store(source, command.Machine.isEmpty() ? host : command.Machine,
                       &sourceFileSystem.FileSystem());
    TStoredVersion version;
    if (!store.FindVersion(command.Version, version)) {
        console.Error(
            QStringLiteral("The backup version %1 was not found on %2.").arg(command.Version, source));
        return ecFailed;
    }
    const TManifestImage* image = version.Manifest.FindImage(item);
    if (!image) {
        console.Error(QStringLiteral("The backup version %1 holds no volume %2.").arg(command.Version, item));
        return ecFailed;
    }
    const QString imagePath = version.Folder + '/' + image->File;
    TImageReader probe(&sourceFileSystem.FileSystem());
    if (!probe.Open(imagePath) || probe.Header().VolumeSize != image->Size) {
        console.Error(QStringLiteral("The backup of volume %1 cannot be used: %2.")
                          .arg(item, probe.LastError().isEmpty()
                                         ? QStringLiteral("its size does not match the manifest")
                                         : probe.LastError()));
        return ecFailed;
    }

    // The target: an existing device or file, or a new file.
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat info;
    const bool exists = ::stat(targetPath.constData(), &info) == 0;
    bool isDevice = false;
    if (exists) {
        isDevice = S_ISBLK(info.st_mode);
        if (!isDevice && !S_ISREG(info.st_mode)) {
            console.Error(
                QStringLiteral("The recovery target %1 is neither a block device nor a file.").arg(target));
            return ecFailed;
        }
        struct stat imageInfo;
        if (sourceFileSystem.IsLocal() && ::stat(QFile::encodeName(imagePath).constData(), &imageInfo) == 0 &&
            imageInfo.st_dev == info.st_dev && imageInfo.st_ino == info.st_ino) {
            console.Error(QStringLiteral("The recovery target %1 is the backup image itself.").arg(target));
            return ecFailed;
        }
        const QString reason = SystemVolumes::InUseReason(target, TMountTable::FromSystem());
        if (!reason.isEmpty()) {
            console.Error(
                QStringLiteral("The recovery target %1 cannot be overwritten: %2.").arg(target, reason));
            return ecFailed;
        }
    } else if (!QFileInfo(target).dir().exists()) {
        console.Error(QStringLiteral("The folder of the recovery target %1 does not exist.").arg(target));
        return ecFailed;
    }

    TOperationLock lock;
    if (!lock.TryAcquire()) {
        console.Line(ToolTexts::Busy());
        return ecBusy;
    }
    if (!command.Quiet) {
        console.Line(QStringLiteral("Recovering volume %1 of version %2 replaces all data on %3.")
                         .arg(item, command.Version, target));
        if (!console.Confirm(QStringLiteral("Do you want to continue?"))) {
            console.Line(QStringLiteral("The recovery was cancelled; nothing was written."));
            return ecStopped;
        }
    }

    TVolumeRestorer restorer(imagePath, &sourceFileSystem.FileSystem());
    restorer.StopRequested = &StopRequest::Requested;
    QString subject = QStringLiteral("Verifying the backup of volume %1").arg(item);
    QString verb = QStringLiteral("checked");
    restorer.OnProgress = [&](quint64 done, quint64 total) {
        console.Progress(subject, verb, total == 0 ? 100 : int(done * 100 / total));
    };
    console.Progress(subject, verb, 0);
    const TRestoreResult verified = restorer.Verify(image->Sha256);
    switch (verified.Status) {
    case TRestoreStatus::rsDone:
        break;
    case TRestoreStatus::rsStopped:
        console.Line(
            QStringLiteral("The recovery operation was stopped; nothing was written to %1.").arg(target));
        return ecStopped;
    case TRestoreStatus::rsChecksumMismatch:
        console.Error(QStringLiteral("The backup of volume %1 does not match its checksum (%2); nothing was "
                                     "written to %3.")
                          .arg(item, verified.Message, target));
        return ecFailed;
    case TRestoreStatus::rsImageDamaged:
    case TRestoreStatus::rsTargetError:
        console.Error(QStringLiteral("The backup of volume %1 cannot be read: %2; nothing was written to %3.")
                          .arg(item, verified.Message, target));
        return ecFailed;
    }

    // A device is opened exclusively: the kernel refuses while anything has it mounted or claimed.
    const int flags = isDevice ? (O_WRONLY | O_EXCL | O_CLOEXEC) : (O_WRONLY | O_CREAT | O_CLOEXEC);
    const int fd = ::open(targetPath.constData(), flags, 0600);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            console.Line(ToolTexts::AccessDenied(QStringLiteral("write to %1").arg(target)));
            return ecAccessDenied;
        }
        console.Error(QStringLiteral("The recovery target %1 cannot be opened: %2.")
                          .arg(target, error == EBUSY ? QStringLiteral("it is in use")
                                                      : DurableFile::ErrorText(error)));
        return ecFailed;
    }
    const bool created = !exists;
    auto fail = [&](int exitCode) {
        ::close(fd);
        if (created)
            ::unlink(targetPath.constData());
        return exitCode;
    };
    if (isDevice) {
        const off_t deviceSize = ::lseek(fd, 0, SEEK_END);
        if (deviceSize < 0 || quint64(deviceSize) < image->Size) {
            console.Error(
                QStringLiteral("The recovery target %1 (%2 bytes) is smaller than volume %3 (%4 bytes).")
                    .arg(target)
                    .arg(qint64(deviceSize))
                    .arg(item)
                    .arg(image->Size));
            return fail(ecFailed);
        }
    } else if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, off_t(image->Size)) != 0) {
        // Zero ranges of the volume stay holes of the emptied, resized file.
        console.Error(QStringLiteral("The recovery target %1 cannot be resized: %2.")
                          .arg(target, DurableFile::ErrorText(errno)));
        return fail(ecFailed);
    }

    subject = QStringLiteral("Recovering volume %1").arg(item);
    verb = QStringLiteral("copied");
    console.Progress(subject, verb, 0);
    const TRestoreResult written = restorer.Write(fd, isDevice, image->Sha256);
    switch (written.Status) {
    case TRestoreStatus::rsDone:
        break;
    case TRestoreStatus::rsStopped:
        console.Line(created
                         ? QStringLiteral("The recovery operation was stopped before it completed.")
                         : QStringLiteral("The recovery operation was stopped before it completed; %1 holds "
                                          "an incomplete volume.")
                               .arg(target));
        return fail(ecStopped);
    case TRestoreStatus::rsTargetError:
        console.Error(
            QStringLiteral("The recovery target %1 could not be written: %2.").arg(target, written.Message));
        return fail(written.Errno == ENOSPC ? ecNoSpace : ecFailed);
    case TRestoreStatus::rsChecksumMismatch:
    case TRestoreStatus::rsImageDamaged:
        console.Error(
            QStringLiteral("The backup of volume %1 changed while it was recovered (%2); %3 holds an "
                           "incomplete volume.")
                .arg(item, written.Message, target));
        return fail(ecFailed);
    }
    if (::close(fd) != 0) {
        console.Error(QStringLiteral("The recovery target %1 could not be written: %2.")
                          .arg(target, DurableFile::ErrorText(errno)));
        return ecFailed;
    }
    console.Line(QStringLiteral("The recovery of volume %1 to %2 completed successfully.").arg(item, target));
    return ecSuccess;
}
