#include "scheduler/JobRunStarter.h"

#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"

void TJobRunStarter::startBackup(TJob& job)
{
    if (auto* files = dynamic_cast<TJob_FilesAndFolders*>(&job))
        files->Backup();
    else if (auto* image = dynamic_cast<TJob_DriveImage*>(&job))
        image->Backup();
}
