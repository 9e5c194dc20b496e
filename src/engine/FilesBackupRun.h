#pragma once
// One backup run of a files-and-folders job, from connecting to the storage to saving the job file.
// It runs on the job's worker thread and reports only through the job's fields and the events log.
#include "engine/BackupRunState.h"
#include "engine/ChecksumFile.h"
#include "engine/RemoteBookkeepingFile.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/RunLifecycle.h"
#include "platform/FileSystem.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <memory>

class TFilesBackupRun
{
public:
    explicit TFilesBackupRun(TJob_FilesAndFolders& job) : job(job) {}
    TFilesBackupRun(const TFilesBackupRun&) = delete;
    TFilesBackupRun& operator=(const TFilesBackupRun&) = delete;

    // The whole run (BackupInThread); ends with the job idle.
    void Run();
    // Called right before the job goes idle (the front end releases the job's run lock there).
    void setBeforeIdle(std::function<void()> hook) { beforeIdle = std::move(hook); }

private:
    void runConnected();
    void fetchRemoteJobFile();
    void prepareTarget();
    bool readPreviousState();
    void handleUnfinishedRun(bool typeChanged);
    void removeExistingBackup();
    void chooseRunKind(int incrementsSinceFull);
    QString uniqueSubfolderName(const QString& kind) const;
    void applyRetention();
    void createTargetAndStartFlag();
    void walkAndStore();
    void storeDatabase();
    // Writes the checksums file of a mirror after this run (`complete`: the run went to its end) and
    // puts it on the storage.
    bool storeMirrorChecksums(bool complete);
    // With the option to verify the copies after each backup: what this run copied, with the checksums
    // computed while copying, taken before storeDatabase frees the lists.
    void keepRunCopies();
    void removeOldBackups(bool beforeVariant);
    // Puts the backups that the retention took out back into the restore point list.
    void keepOldBackups();
    void closeConnectedRun();
    void logDatabaseHeader(const char* text);

    bool isCancelling() const { return job.JobStatus.load() == jsCancelling; }
    QString T(const char* text) const { return job.Translate(QString::fromUtf8(text)); }
    qint32 retries() const { return job.JobOptions.Processing.IfDestinationNotAvailable_Retry_Times; }
    QString startFlagPath() const;
    QString remoteJobFilePath() const { return backupRoot + QStringLiteral(".kxj"); }

    TJob_FilesAndFolders& job;
    TRunLifecycle lifecycle{job};
    QString backupRoot;
    QString subfolderName;
    bool remoteJobFileLoaded = false;
    bool previousRunCancelled = false;
    bool removalNeeded = false;
    QString cancelledSubfolder;
    TRunBookkeeping bookkeeping; // MainBackupList and the two sizes; the path lists live in `state`
    TBackupRunState state;
    std::unique_ptr<TVolumeWrites> storageWrites; // from the start flag to the catalogs
    QStringList startFlagList;
    QStringList oldBackupsList;
    TChecksumTable runCopies;
    std::function<void()> beforeIdle;
};
