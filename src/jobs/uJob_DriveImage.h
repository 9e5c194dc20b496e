#pragma once
// A drive image job: whole volumes imaged by the image tool, kept in a number of versions.
#include "jobs/uJob.h"

struct TDriveImageSettings
{
    QStringList SourceDrivesList;
    bool AutocleanOldBackups = false;
    QString NumberOfBackupVersionsToKeep = QStringLiteral("3");
};

class TJob_DriveImage : public TJob
{
public:
    using TSpecificSettings = TDriveImageSettings;

    explicit TJob_DriveImage(const QString& name);

    TSpecificSettings Settings;

    // Starts a backup run on a new worker thread and returns at once (driveimage/). False, with nothing
    // changed, when the job already runs in this or another process.
    bool Backup();
    // The run itself, on the calling thread.
    void BackupInThread();
    // Removes the remote job file and hands the deletion of every image version to the image tool;
    // true when the deletion was handed over.
    bool Remove();
    // Checks that the storage can be reached and opens the restore guidance (driveimage/DriveImageRestore.h).
    void Restore();

    bool SaveLocalJobFile(const QString& path);
    bool LoadLocalJobFile(const QString& path);
    // Failures are ignored silently.
    void SaveRemoteJobFile(const QString& path);
    // A missing file reads nothing and returns true; a malformed one throws TJobFileError.
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings);
};
