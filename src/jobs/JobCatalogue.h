#pragma once
// The ordered list of backup jobs and the jobs list file jobslist.obl that remembers their names and
// order between runs.
#include "jobs/JobNames.h"
#include "jobs/uJob.h"

#include <memory>
#include <vector>

class TJobCatalogue
{
public:
    TJobCatalogue() = default;
    TJobCatalogue(const TJobCatalogue&) = delete;
    TJobCatalogue& operator=(const TJobCatalogue&) = delete;

    // Fills the catalogue from jobslist.obl and each job's file. False when the list is missing or
    // unreadable; jobs whose file is missing or unreadable are left out, and so are names that cannot
    // name a job (each with an event).
    bool LoadJobsListAndJobs();
    // Writes jobslist.obl: UTF-8 with a byte order mark, one name per line, each ended by CR LF.
    bool SaveJobsList() const;
    // True while any job is running, cancelling or paused.
    bool IsSomeJobRunning() const;
    // The first job that is running, cancelling or paused; null when none is.
    TJob* FirstRunningJob() const;

    // Moves the job at `index` one place up or down; false when it is already first or last.
    bool MoveUp(int index);
    bool MoveDown(int index);

    int count() const { return int(jobs.size()); }
    TJob* at(int index) const { return jobs.at(std::size_t(index)).get(); }
    // Index of the job whose name equals `name` with ASCII letters folded, or -1.
    int indexOfName(const QString& name) const;
    TJob* findByName(const QString& name) const;
    void append(std::unique_ptr<TJob> job);
    std::unique_ptr<TJob> takeAt(int index);

private:
    std::vector<std::unique_ptr<TJob>> jobs;
};

QString JobsListFilePath();

// The name check of the commands that give a job a name (new, duplicate, rename), on the text the user
// typed: blanks at either end are dropped; an empty result, or for a rename the job's own name typed
// exactly, ends the command without a message; a name that is refused comes with the message to show.
struct TJobNameCheck
{
    enum TOutcome
    {
        ncAccepted,
        ncNothingToDo,
        ncRefused
    };
    TOutcome Outcome = ncNothingToDo;
    QString Name; // the trimmed text, the name the job gets
    QString ErrorMessage;
};
// `renamed`: the job being renamed, or null. Its own name counts among the taken ones, so that a change
// of letter case alone is refused.
TJobNameCheck CheckTypedJobName(const TJobCatalogue& catalogue, const QString& typed,
                                const TJob* renamed = nullptr);
