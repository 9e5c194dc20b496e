#pragma once
// The rename command on a job of the catalogue, for the window and the command line alike.
#include <QString>

class TJob;
class TJobCatalogue;

enum TJobRenameOutcome
{
    rnRenamed,
    rnJobRunning, // the job runs in this or another process: nothing was done
    rnFailed      // ChangeName failed; its events say why
};

// Renames `job` (TJob::ChangeName) to `newName`, already checked with CheckTypedJobName, while no run
// of it can start; on success saves the jobs list (a failure to save is not reported) and adds the
// event "Job "%s" is renamed to "%s".".
TJobRenameOutcome RenameJob(TJobCatalogue& catalogue, TJob& job, const QString& newName);
