#include "engine/RestorePoints.h"

#include "base/Placeholders.h"
#include "jobs/JobPaths.h"
#include "logs/RunLog.h"
#include "platform/AskingUser.h"
#include "storage/StorageConnection.h"

namespace {
const QString kFullMarker = QStringLiteral("Full)");
const QString kIncrementalMarker = QStringLiteral("Incremental)");
const QString kMirrorMarker = QStringLiteral("Syncronization)");
const QString kStartFlagName = QStringLiteral("_startflag.obl");
} // namespace

QString RestorePointLabel(const QString& entry)
{
    return QString(entry).replace(';', ':');
}

QString RestorePointSubfolder(const QString& label)
{
    return QString(label).replace(':', ';');
}

bool IsZipRestorePoint(const QString& label)
{
    return label.contains(QLatin1String("(ZIP ,")) || label.contains(QLatin1String("(ZIPs ,"));
}

bool BackupTypeFromMarker(const QString& marker, TBackupType& type)
{
    if (marker == kFullMarker)
        type = btFull;
    else if (marker == kIncrementalMarker)
        type = btInc;
    else if (marker == kMirrorMarker)
        type = btSync;
    else
        return false;
    return true;
}

QStringList RestoreChain(const QStringList& points, qint32 index)
{
    if (index < 0 || index >= points.size())
        return {};
    const QString chosen = RestorePointSubfolder(points.at(index));
    if (chosen.endsWith(kFullMarker))
        return {chosen};
    if (!chosen.endsWith(kIncrementalMarker))
        return {};
    for (qint32 first = index; first >= 0; --first) {
        if (!points.at(first).endsWith(kFullMarker))
            continue;
        QStringList chain;
        for (qint32 i = first; i <= index; ++i)
            chain.append(RestorePointSubfolder(points.at(i)));
        return chain;
    }
    return {};
}

bool IsSafeRestorePointName(const QString& subfolder)
{
    return !subfolder.isEmpty() && subfolder != QLatin1String(".") && subfolder != QLatin1String("..") &&
           !subfolder.contains('/') && !subfolder.contains(QChar(0)) &&
           !subfolder.startsWith(QLatin1String("\\\\"));
}

std::optional<QString> StartFlagSubfolder(const QStringList& startFlag)
{
    if (startFlag.isEmpty() || startFlag.first().isEmpty())
        return QString();
    if (!IsSafeRestorePointName(startFlag.first()))
        return std::nullopt;
    return startFlag.first();
}

TRestorePointList ReadRestorePointList(TJob_FilesAndFolders& job)
{
    TRestorePointList result;
    const TStorageConnectionResult connection = job.ConnectToStorage();
    if (!connection.error.isEmpty() || !connection.ok()) {
        result.Status = TRestorePointList::rsNotConnected;
        if (!connection.error.isEmpty())
            result.ErrorText = ConnectionErrorLine(job, connection);
        return result;
    }
    const QString& backupRoot = connection.folder;
    MakePathForAskingUser(JobTempFolder(job));
    LogLine(job, job.Translate(QStringLiteral("Reading the list of restore points.")));
    const QString localJobFile = JobTempRemoteJobFile(job);
    const bool fetched = job.FileOperation(atCopyFromRemoteToLocalFile, localJobFile,
                                           backupRoot + QStringLiteral(".kxj"), 0, true) == orSuccess;
    result.StartFlagFound =
        job.FileOperation(atCopyFromRemoteToLocalFile, JoinPath(JobTempFolder(job), kStartFlagName),
                          JoinPath(backupRoot, kStartFlagName), 0, false) == orSuccess;
    job.DisconnectFromStorage();
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationPath.clear();
    if (!fetched) {
        result.Status = TRestorePointList::rsJobFileNotCopied;
        return result;
    }
    TRemoteBookkeeping stored;
    try {
        job.LoadRemoteJobFile(localJobFile, false, stored);
    } catch (const TJobFileError&) {
        result.Status = TRestorePointList::rsJobFileDamaged;
        LogError(job, job.Translate(QStringLiteral("The job file on the storage cannot be read:")) + ' ' +
                          backupRoot + QStringLiteral(".kxj"));
        return result;
    }
    result.MainBackupList = std::move(stored.MainBackupList);
    return result;
}

bool ChooseRestorePoint(TJob_FilesAndFolders& job, TRestoreInteraction& ui, const QStringList& points,
                        qint32& listIndex, QString& zipPassword)
{
    QStringList labels;
    labels.reserve(points.size());
    for (const QString& entry : points)
        labels.append(RestorePointLabel(entry));
    LogLine(job, job.Translate(QStringLiteral("Choosing the restore point.")));
    qint32 index = -1;
    if (!ui.ChooseRestorePoint(labels, index) || index < 0 || index >= labels.size()) {
        job.JobStatus = jsCancelling;
        return false;
    }
    listIndex = index;
    const QString& label = labels.at(index);
    LogLine(job, job.Translate(QStringLiteral("Chosen restore point:")) + ' ' + label);
    if (IsZipRestorePoint(label))
        zipPassword = ui.QueryZipPassword(
            job.Translate(QStringLiteral("Enter the Password")),
            FillPlaceholders(job.Translate(QStringLiteral("Password for ZIP archives of backup %s:")),
                             {job.stJobName}));
    return true;
}
