#pragma once
// The ordered list of backup jobs and the jobs list file jobslist.obl that remembers their names and
// order between runs.
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
    // unreadable; jobs whose file is missing or unreadable are left out.
    bool LoadJobsListAndJobs();
    // Writes jobslist.obl: UTF-8 with a byte order mark, one name per line, each ended by CR LF.
    bool SaveJobsList() const;
    // True while any job is running, cancelling or paused.
    bool IsSomeJobRunning() const;

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

// Job names: compared with ASCII letters folded to lower case; never empty, no leading or trailing
// blanks, none of the characters < > : " / \ | ? *.
QString FoldJobName(const QString& name);
bool SameJobName(const QString& a, const QString& b);
bool IsValidJobName(const QString& name);
