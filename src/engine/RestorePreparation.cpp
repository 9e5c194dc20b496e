// TJob_FilesAndFolders::Restore: the preparation of a restore on the calling thread (output folder,
// restore points, choice) and the start of its run on a worker thread.
#include "base/AppState.h"
#include "base/Placeholders.h"
#include "engine/RestorePoints.h"
#include "engine/RestoreRun.h"
#include "i18n/RunLanguage.h"
#include "jobs/JobCatalogue.h"
#include "logs/RunLog.h"
#include "operations/RunLifecycle.h"
#include "platform/FileSystemLocal.h"
#include "platform/JobRunLock.h"

#include <QFileInfo>

#include <memory>
#include <thread>

namespace {
// The application title the messages name.
const QString kApplicationTitle = QStringLiteral("Zorvan Backup");

class TRestorePreparation
{
public:
    TRestorePreparation(TJob_FilesAndFolders& job, TRestoreInteraction& ui) : job(job), ui(ui) {}

    // False when the preparation ended without a run.
    bool prepare();
    QString outputPath;
    qint32 listIndex = -1;
    QString zipPassword;
    QStringList items;

private:
    QString T(const char* text) const { return job.Translate(QString::fromUtf8(text)); }
    void endCancelled();

    TJob_FilesAndFolders& job;
    TRestoreInteraction& ui;
};

bool TRestorePreparation::prepare()
{
    job.JobStatus = jsRunning;
    job.JobOperation = joReadRestorePoints;
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationPath.clear();
    job.OptionsToJobOptions();
    if (!ui.ChooseOutputFolder(outputPath) || !QFileInfo(outputPath).isDir()) {
        job.SetStatus(jsNone);
        return false;
    }
    ui.ShowLoading();
    job.LastJobResult.Cancelled = false;
    job.LastJobResult.ErrorsCount = 0;
    job.LastJobResult.WarningsCount = 0;
    job.LastJobResult.Log.clear();

    TRestorePointList read;
    ui.WhileLoading([&] { read = ReadRestorePointList(job); });
    ui.CloseLoading();
    switch (read.Status) {
    case TRestorePointList::rsNotConnected:
        job.SetStatus(jsNone);
        ui.ShowError(T("Unable to connect to the backup storage.") + QStringLiteral("\r\n") + read.ErrorText);
        return false;
    case TRestorePointList::rsJobFileNotCopied:
    case TRestorePointList::rsJobFileDamaged:
        ui.ShowError(FillPlaceholders(T("Unable to copy the job file \"%s\" from the backup directory."),
                                      {job.stJobName + QStringLiteral(".kxj")}));
        job.DeleteTempFiles();
        job.SetStatus(jsNone);
        return false;
    case TRestorePointList::rsRead:
        break;
    }

    QStringList& points = read.MainBackupList;
    TBackupType type = job.Settings.Backup.BackupType;
    if (!points.isEmpty() && BackupTypeFromMarker(points.first(), type))
        job.Settings.Backup.BackupType = type;
    job.NewSubfolderIsCreatedForEachBackup = job.Settings.Backup.BackupType != btSync;
    if (read.StartFlagFound && job.Settings.Backup.BackupType == btSync) {
        // The mirror may be half updated.
        job.JobStatus = jsCancelling;
        const QString text =
            FillPlaceholders(T("Last backup job was cancelled, so %s is not able to restore your "
                               "files. Please copy the backup folder \"%s\" from the storage "
                               "manually."),
                             {kApplicationTitle, job.stJobName});
        LogError(job, text);
        ui.ShowError(text);
    } else {
        if (!points.isEmpty())
            points.removeFirst();
        listIndex = -1;
        if (job.Settings.Backup.BackupType != btSync)
            ChooseRestorePoint(job, ui, points, listIndex, zipPassword);
        if (job.JobStatus.load() != jsCancelling && !ui.ChooseItems(points, listIndex, items))
            job.JobStatus = jsCancelling;
        for (const QString& item : std::as_const(items))
            LogLine(job, T("Chosen item:") + ' ' + item);
    }
    points.clear();
    if (job.JobStatus.load() == jsCancelling) {
        endCancelled();
        return false;
    }
    return true;
}

void TRestorePreparation::endCancelled()
{
    // No log file is written here: the run never started.
    job.DeleteTempFiles();
    TRunLifecycle lifecycle(job, rkRestore);
    lifecycle.Cancelled();
    lifecycle.Finish(nullptr);
}
} // namespace

bool TJob_FilesAndFolders::Restore(TRestoreInteraction& ui)
{
    // The lock keeps a backup or another restore of this job (in any process) out until the run ends.
    auto lock = std::make_unique<TJobRunLock>(FoldJobName(stJobName));
    if (!isIdle() || !lock->tryLock())
        return false;
    TRestorePreparation preparation(*this, ui);
    if (!preparation.prepare())
        return true;
    std::thread([this, lock = std::move(lock), output = preparation.outputPath, index = preparation.listIndex,
                 items = preparation.items]() mutable {
        const TRunLanguageScope language(JobOptions.Language);
        TRestoreRun run(*this, output, index, TLocalFileSystem::instance());
        run.setSelection(TRestoreSelection(items));
        run.setBeforeIdle([&lock] { lock.reset(); });
        run.Run();
    }).detach();
    return true;
}
