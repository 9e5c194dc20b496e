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

    bool SaveLocalJobFile(const QString& path);
    bool LoadLocalJobFile(const QString& path);
    // Failures are ignored silently.
    void SaveRemoteJobFile(const QString& path);
    // A missing file reads nothing and returns true; a malformed one throws TJobFileError.
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings);
};
