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

    TJobKind Kind() const override { return jkDriveImage; }

    // The backup by the image tool (driveimage/).
    bool Backup() override;
    // The run itself, on the calling thread.
    void BackupInThread();
    // Removes the remote job file and hands the deletion of every image version to the image tool;
    // true when the deletion was handed over.
    bool Remove() override;
    // Checks that the storage can be reached and opens the restore guidance (driveimage/DriveImageRestore.h),
    // which shows its own errors: `ui` is not asked. Returns true.
    bool Restore(TRestoreInteraction& ui) override;

    bool SaveLocalJobFile(const QString& path) override;
    bool LoadLocalJobFile(const QString& path) override;
    // Failures are ignored silently.
    void SaveRemoteJobFile(const QString& path) override;
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings) override;
};
