#pragma once
// One restore run of a files-and-folders job: the restore points of the chain (or the mirror) applied
// one after the other to the output folder, then the closing messages, the log file and the job file.
// It runs on the job's worker thread and reports only through the job's fields and the events log.
#include "engine/PointContents.h"
#include "engine/PointContentsReading.h"
#include "engine/RestoreOutputFolder.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/RunLifecycle.h"
#include "platform/FileSystem.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

class TRestoreRun
{
public:
    // `localFs` is the file system the output folder is on.
    TRestoreRun(TJob_FilesAndFolders& job, const QString& outputPath, qint32 listIndex, TFileSystem& localFs)
        : job(job), localFs(localFs), output(outputPath), listIndex(listIndex)
    {
    }
    TRestoreRun(const TRestoreRun&) = delete;
    TRestoreRun& operator=(const TRestoreRun&) = delete;

    // The whole run (RestoreInThread); ends with the job idle.
    void Run();
    // Limits the run to chosen files and folders (the default restores everything).
    void setSelection(TRestoreSelection chosen) { selection = std::move(chosen); }
    // Called right before the job goes idle (the front end releases the job's run lock there).
    void setBeforeIdle(std::function<void()> hook) { beforeIdle = std::move(hook); }

    // Applies one storage folder (a backup subfolder, or BackupRoot for a mirror) to the output
    // folder; false when an unexpected error ended it.
    bool RestoreBackupFolder(const QString& folder);

private:
    void runConnected();
    void restoreChain();
    // Leaves out of the lists what the selection does not cover.
    void keepChosen(TPointCatalogs& lists) const;
    void removeFiles(const QStringList& entries);
    void removeFolders(const QStringList& entries);
    void createFolders(const QStringList& entries);
    void copyFiles(const QString& folder, const QStringList& entries);
    // The checked relative path of an entry, or nothing after an "ERROR:" line for a refused one.
    std::optional<QString> checkedEntry(const QString& entry, bool mayBeTheFolderItself);
    // Runs `step` on the checked relative path of each entry, waiting while the run is paused; stops at
    // a cancel. Entries that fail the check are skipped (the check logs them).
    void forEachEntry(const QStringList& entries, bool mayBeTheFolderItself,
                      const std::function<void(const QString& relative)>& step);
    void closeRun();

    bool isCancelling() const { return job.JobStatus.load() == jsCancelling; }
    QString T(const char* text) const { return job.Translate(QString::fromUtf8(text)); }
    QString outputPathOf(const QString& relative) const;

    TJob_FilesAndFolders& job;
    TFileSystem& localFs;
    TRunLifecycle lifecycle{job, rkRestore};
    TRestoreOutputFolder output;
    qint32 listIndex;
    QString backupRoot;
    TRemoteBookkeeping bookkeeping;
    TRestoreSelection selection;
    std::function<void()> beforeIdle;
};
