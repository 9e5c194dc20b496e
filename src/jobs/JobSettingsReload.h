#pragma once
// Taking into a job in memory the settings that another process (the command line's edit, another
// window) has saved into its job file meanwhile.
#include "jobs/uJob.h"

#include <memory>

// Reads the job file at `path` into a new job of `job`'s kind and name; null, with an event, when the
// file cannot be read or holds the other kind.
std::unique_ptr<TJob> LoadJobFromFile(const TJob& job, const QString& path);

// Copies what the wizards edit (sources or drives, destination and its credentials, backup type and
// numbers, schedule) from `from` into `to`, which must be of the same kind; the results, logs and
// history of the runs stay as they are in `to`.
void CopyJobSettings(const TJob& from, TJob& to);
