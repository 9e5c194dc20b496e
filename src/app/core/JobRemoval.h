#pragma once
// The removal of a job named on the command line: its backups on the storage, then its local job file
// and its place in the jobs list, with the events of each step.
#include <QString>

#include <functional>

class TJob;
class TJobCatalogue;

enum TJobRemovalStep
{
    jrRemoved = 0,       // the job is gone from the list
    jrJobRunning = 1,    // it runs in this or another process: nothing was done
    jrFileNotRemoved = 2 // its job file could not be deleted: the job stays listed
};

struct TJobRemovalResult
{
    TJobRemovalStep Step = jrRemoved;
    bool BackupsRemoved = false;
    bool ListSaved = true; // false: removed, but the jobs list could not be saved (an event says so)
};

class TJobRemoval
{
public:
    // Called around the removal of the backups, which may take a while (the window shows its busy
    // cursor). Unset: skipped.
    std::function<void()> Started;
    std::function<void()> Ended;
    // Shows BackupsNotRemovedText when the backups could not be removed; the removal then goes on.
    std::function<void(const QString& message)> ShowError;
    // False: the backups stay on the storage; only the job goes.
    bool RemoveBackups = true;

    // Removes the job at `index`: its backups (event "The backup folder has been removed successfully
    // on the storage device." on success), its job file, its list entry (event "Job is removed." or the
    // error event about the jobs list). A job file that cannot be deleted stops the removal with an
    // event.
    TJobRemovalResult Remove(TJobCatalogue& catalogue, int index) const;

    // "Unable to remove the backup folder.", two line breaks, "Make sure the storage device is
    // connected. Then remove it manually", translated for `job`.
    static QString BackupsNotRemovedText(const TJob& job);
};
