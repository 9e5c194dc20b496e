#include "engine/VerificationRun.h"

#include "base/Placeholders.h"
#include "engine/ChecksumFile.h"
#include "engine/RestorePoints.h"
#include "events/EventsLog.h"
#include "jobs/JobNames.h"
#include "logs/RunLog.h"
#include "operations/RunLifecycle.h"
#include "platform/JobRunLock.h"

#include <algorithm>

namespace {

QString T(const TJob& job, const char* text)
{
    return job.Translate(QString::fromUtf8(text));
}

const char* problemText(TVerifyProblemKind kind)
{
    switch (kind) {
    case TVerifyProblemKind::Missing:
        return "The copy is missing on the storage:";
    case TVerifyProblemKind::WrongSize:
        return "The copy on the storage does not have the recorded size:";
    case TVerifyProblemKind::Damaged:
        return "The copy on the storage is damaged (its checksum differs from the recorded one):";
    case TVerifyProblemKind::Unreadable:
        return "The copy on the storage cannot be read:";
    case TVerifyProblemKind::NoChecksum:
        break;
    }
    return "";
}

// What the worker verifies: the chosen point of the list read before it started.
struct TVerifyTarget
{
    QStringList points;
    qint32 index = -1;
    QString label;
};

// The job's row follows the file being read and the share of bytes done.
TVerifyProgress showingProgress(TJob& job)
{
    return [&job](const QString& path, qint64 done, qint64 total) {
        job.CurrentFileOperationPath.set(path);
        job.CurrentFileOperationProgress = total > 0 ? qint32(std::min(done, total) * 100 / total) : 0;
    };
}

void runVerification(TJob_FilesAndFolders& job, const TVerifyTarget& target,
                     const std::function<void()>& releaseLock)
{
    TRunLifecycle lifecycle(job, rkVerify);
    lifecycle.Start();
    const QString starting =
        FillPlaceholders(T(job, "Starting the verification of \"%s\":"), {job.stJobName}) + ' ' +
        target.label;
    LogLine(job, starting);
    AddEvent(starting);
    job.AddEventtoBackupHistory(T(job, "Starting the verification:") + ' ' + target.label, false);
    lifecycle.EnsureLogFolder();

    const TVerifyResult result = VerifyPoint(job, target.points, target.index, true, showingProgress(job));
    LogVerifyProblems(job, result);
    if (!result.ErrorText.isEmpty())
        LogError(job, result.ErrorText);
    job.CurrentFileOperationProgress = 0;
    job.CurrentFileOperationPath.clear();
    if (result.Cancelled || !result.ErrorText.isEmpty() || job.JobStatus.load() == jsCancelling) {
        lifecycle.Cancelled();
    } else {
        const QString counts = QString::number(result.FilesChecked);
        const QString problems = QString::number(VerifyProblemCount(result));
        const QString text =
            FillPlaceholders(T(job, "Verification of \"%s\" finished: %s files checked, %s problems."),
                             {job.stJobName, counts, problems});
        LogLine(job, text);
        AddEvent(text);
        job.AddEventtoBackupHistory(
            FillPlaceholders(T(job, "Verification finished: %s files checked, %s problems."),
                             {counts, problems}),
            false);
    }
    lifecycle.CloseConnected();
    lifecycle.Finish(releaseLock);
}

} // namespace

void VerifyCopiesAfterRun(TJob& job, const QString& folder, const TChecksumTable& copies)
{
    LogSeparatorLine(job);
    LogLine(job, T(job, "Verifying the copies of this backup on the storage."));
    job.JobOperation = joVerify;
    job.CurrentFileOperationType = atNone;
    const TVerifyResult result = VerifyRunCopies(job, folder, copies, showingProgress(job));
    job.JobOperation = joBackup;
    job.CurrentFileOperationProgress = 0;
    LogVerifyProblems(job, result);
    if (!result.ErrorText.isEmpty())
        LogError(job, result.ErrorText);
    if (result.Cancelled)
        return;
    LogLine(job, FillPlaceholders(
                     T(job, "Verification of the copies finished: %s files checked, %s problems."),
                     {QString::number(result.FilesChecked), QString::number(VerifyProblemCount(result))}));
}

qint64 VerifyProblemCount(const TVerifyResult& result)
{
    return qint64(result.Problems.size()) - result.count(TVerifyProblemKind::NoChecksum);
}

void LogVerifyProblems(TJob& job, const TVerifyResult& result)
{
    for (const TVerifyProblem& problem : result.Problems) {
        if (problem.Kind != TVerifyProblemKind::NoChecksum)
            LogError(job, T(job, problemText(problem.Kind)) + ' ' + problem.Path);
    }
    if (const qint64 unproven = result.count(TVerifyProblemKind::NoChecksum); unproven > 0)
        LogWarning(job, FillPlaceholders(T(job, "%s files have no recorded checksum (backed up without one) "
                                                "and cannot be proven."),
                                         {QString::number(unproven)}));
}

bool StartVerification(TJob_FilesAndFolders& job, TVerifyInteraction& ui)
{
    // The lock keeps a backup or a restore of this job (in any process) out until the run ends.
    auto lock = std::make_unique<TJobRunLock>(FoldJobName(job.stJobName));
    TJobStatus idle = jsNone;
    if (!lock->tryLock() || !job.JobStatus.compare_exchange_strong(idle, jsRunning))
        return false;
    job.JobOperation = joVerify;
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationPath.clear();
    job.CurrentFileOperationProgress = 0;
    job.OptionsToJobOptions();
    ResetRunResult(job);

    TRestorePointList read;
    ui.WhileReading([&] { read = ReadRestorePointList(job); });
    QString error;
    switch (read.Status) {
    case TRestorePointList::rsNotConnected:
        error = T(job, "Unable to connect to the backup storage.") + QStringLiteral("\r\n") + read.ErrorText;
        break;
    case TRestorePointList::rsJobFileNotCopied:
    case TRestorePointList::rsJobFileDamaged:
        error = FillPlaceholders(T(job, "Unable to copy the job file \"%s\" from the backup directory."),
                                 {job.stJobName + QStringLiteral(".kxj")});
        break;
    case TRestorePointList::rsRead:
        break;
    }
    TVerifyTarget target;
    target.points = read.MainBackupList;
    TBackupType type = job.Settings.Backup.BackupType;
    if (!target.points.isEmpty()) {
        BackupTypeFromMarker(target.points.first(), type);
        target.points.removeFirst();
    }
    if (error.isEmpty() && type != btSync && target.points.isEmpty())
        error = T(job, "The job has no restore points.");
    if (!error.isEmpty()) {
        job.DeleteTempFiles();
        job.SetStatus(jsNone);
        ui.ShowError(error);
        return true;
    }
    if (type == btSync) {
        target.label = T(job, "the mirror");
    } else {
        target.index = qint32(target.points.size() - 1);
        target.label = RestorePointLabel(target.points.last());
    }
    StartBackupWorker(job, std::move(lock), [&job, target](const std::function<void()>& releaseLock) {
        runVerification(job, target, releaseLock);
    });
    return true;
}
