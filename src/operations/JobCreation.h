#pragma once
// A new job joining the catalogue: created in a wizard, duplicated from another job.
#include <QString>

#include <memory>

class TJob;
class TJobCatalogue;

// Appends `job` (named and filled in already) to `catalogue`, saves its job file and the jobs list and
// adds the event "Created new job: "%s"." with `typedName`. Nothing remembered about an earlier job of
// the same name stays with it. Failures to save have their own events. Returns the job, now owned by
// the catalogue.
TJob& AddCreatedJob(TJobCatalogue& catalogue, std::unique_ptr<TJob> job, const QString& typedName);
