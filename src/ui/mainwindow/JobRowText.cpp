#include "ui/mainwindow/JobRowText.h"

#include "i18n/Translate.h"
#include "jobs/JobStatusText.h"

namespace {

QString operationVerb(TFileOperationType type)
{
    switch (type) {
    case atCopyFromLocalToRemoteFile:
    case atCopyFromLocalToRemoteFileThroughTempFolder:
    case atCopyFromRemoteToLocalFile:
        return Translate(QStringLiteral("Copying"));
    case atRemoveRemoteFile:
    case atRemoveRemoteEmptyFolder:
    case atRemoveRemoteNotEmptyFolder:
        return Translate(QStringLiteral("Removing"));
    case atCreateRemoteFolder:
        return Translate(QStringLiteral("Creating"));
    case atRenameRemoteFolder:
    case atRenameRemoteFile:
        return Translate(QStringLiteral("Renaming"));
    case atNone_WaitingForReconnection:
    case atNone:
        break;
    }
    return {};
}

// The item being processed: what follows the path's last separator (storage paths may be written
// with backslashes).
QString lastComponent(const QString& path)
{
    const qsizetype separator = qMax(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(separator + 1);
}

bool isActive(TJobStatus status)
{
    return status == jsRunning || status == jsPaused;
}

} // namespace

QString TJobRowCells::joined() const
{
    QStringList parts;
    for (const QString& part : {Title, Operation, Status, LastResult}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}

QString JobOperationText(const TJob& job, bool* alert)
{
    if (alert)
        *alert = false;
    if (!isActive(job.JobStatus.load())) {
        QString destination = job.DestinationPath;
        destination.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        return Translate(QStringLiteral("Backup to ")) + destination;
    }
    const TFileOperationType type = job.CurrentFileOperationType.load();
    if (type == atNone_WaitingForReconnection) {
        if (alert)
            *alert = true;
        return Translate(QStringLiteral("Make sure the storage device is connected. Then resume the job."));
    }
    const QString path = job.CurrentFileOperationPath.get();
    if (job.JobOperation.load() == joVerify)
        return (Translate(QStringLiteral("Verifying")) + ' ' + lastComponent(path)).trimmed();
    if (type == atNone)
        return path;
    return operationVerb(type) + ' ' + lastComponent(path);
}

QColor LastResultColour(const TJob& job)
{
    if (job.JobStatus.load() != jsNone)
        return kRowTextColour;
    const TJobResult& result = job.LastJobResult;
    if (result.StartTime.load() == 0 && result.EndTime.load() == 0)
        return kRowTextColour;
    if (result.Cancelled.load() || result.ErrorsCount.load() > 0)
        return kResultFailedColour;
    if (result.WarningsCount.load() > 0)
        return kResultWarningsColour;
    return kResultFinishedColour;
}

TJobRowCells JobRowCells(const TJob& job)
{
    TJobRowCells cells;
    const TJobStatus status = job.JobStatus.load();
    cells.Title = job.stJobName;
    cells.Operation = JobOperationText(job, &cells.OperationIsAlert);
    cells.Status = JobStatusText(status);
    cells.LastResult = LastResultText(job);
    cells.LastResultColour = LastResultColour(job);
    if (isActive(status))
        cells.Progress = qBound(0, int(job.CurrentFileOperationProgress.load()), 100);
    return cells;
}

QString JobRowToolTip(const TJob& job, const TScheduleMoment& now)
{
    QStringList lines;
    if (job.SchedulingSettings.SchedulingType == stDisabled) {
        lines.append(Translate(QStringLiteral("No schedule")));
    } else if (const std::optional<TScheduleMoment> next = NextScheduledStart(job.SchedulingSettings, now)) {
        lines.append(Translate(QStringLiteral("Next scheduled start:")) + ' ' +
                     FormatShortDateLongTime(next->toDateTime()));
    } else {
        lines.append(Translate(QStringLiteral("No scheduled start")));
    }
    const TJobResult& result = job.LastJobResult;
    if (result.StartTime.load() != 0 || result.EndTime.load() != 0) {
        QString counts = Translate(QStringLiteral("Errors:")) + ' ' +
                         QString::number(result.ErrorsCount.load()) + QStringLiteral(", ") +
                         Translate(QStringLiteral("Warnings:")) + ' ' +
                         QString::number(result.WarningsCount.load());
        const qint64 processed = job.CurrentBackupFilesProcessed.load();
        if (processed > 0)
            counts += QStringLiteral(", ") + Translate(QStringLiteral("Files processed:")) + ' ' +
                      QString::number(processed);
        lines.append(counts);
    }
    return lines.join('\n');
}
