#include "scheduler/JobRunStarter.h"

#include "jobs/uJob.h"

void TJobRunStarter::startBackup(TJob& job)
{
    job.Backup();
}
