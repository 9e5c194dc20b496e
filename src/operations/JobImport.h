#pragma once
// The import of a job from its copy on the backup storage (the remote job file, *.kxj): the job gets
// the file's name and settings, with its schedule disabled, and joins the catalogue.
#include <QString>

class TJob;
class TJobCatalogue;

struct TJobImportResult
{
    enum TStatus
    {
        irImported,
        irNameRefused, // a job of that name exists, or the file name makes no valid job name
        irNotOpened,   // the file cannot be copied or read
        irUnknownKind  // the file is no job file; GetJobFileKind has added an event
    };
    TStatus Status = irNotOpened;
    // The job that joined the catalogue (owned by it), or null.
    TJob* Job = nullptr;
    // The error message to show, or empty.
    QString ErrorMessage;
};

// The job's name from the path: the file name without its last four characters (".kxj").
QString ImportedJobName(const QString& path);
// Copies the file into the temporary-files folder, reads it, appends the job to `catalogue` and saves
// its job file and the jobs list. Runs on the calling thread.
TJobImportResult ImportJobFromStorage(TJobCatalogue& catalogue, const QString& path);
