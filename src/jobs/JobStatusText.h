#pragma once
// The texts that describe a job's state in the job list and in the command-line program.
#include "jobs/uJob.h"

// "Ready", "Waiting", "Running", "Cancelling", "Paused" (translated).
QString JobStatusText(TJobStatus status);
// The "Last Result" text of an idle job: "Never started", "Cancelled on %s", "Finished with errors on
// %s", "Finished with warnings on %s" or "Finished on %s", with the end time in the user's formats;
// for a running job its progress.
QString LastResultText(const TJob& job);
// A date-time in the user's short date and long time formats.
QString FormatShortDateLongTime(TDateTime value);
// A one-line summary of a schedule: "Disabled", "Days of week: Mon, Fri at 08:30:00", ...
QString ScheduleSummary(const TSchedulingSettings& schedule);
