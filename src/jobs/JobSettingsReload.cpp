#include "jobs/JobSettingsReload.h"

#include "jobs/JobFiles.h"

std::unique_ptr<TJob> LoadJobFromFile(const TJob& job, const QString& path)
{
    const int kind = GetJobFileKind(path);
    if (kind != job.Kind())
        return nullptr;
    std::unique_ptr<TJob> loaded = NewJobOfKind(kind, job.stJobName);
    if (!loaded || !loaded->LoadLocalJobFile(path))
        return nullptr;
    return loaded;
}

void CopyJobSettings(const TJob& from, TJob& to)
{
    if (from.Kind() != to.Kind())
        return;
    to.SchedulingSettings = from.SchedulingSettings;
    to.DestinationType = from.DestinationType;
    to.DestinationPath = from.DestinationPath;
    to.Destination_NetworkUsername = from.Destination_NetworkUsername;
    to.Destination_NetworkPassword = from.Destination_NetworkPassword;
    to.NewSubfolderIsCreatedForEachBackup = from.NewSubfolderIsCreatedForEachBackup;
    if (from.Kind() == jkFilesAndFolders)
        static_cast<TJob_FilesAndFolders&>(to).Settings =
            static_cast<const TJob_FilesAndFolders&>(from).Settings;
    else
        static_cast<TJob_DriveImage&>(to).Settings = static_cast<const TJob_DriveImage&>(from).Settings;
}
