#pragma once
// The paths a job's runs use on this computer (log folder, temporary folder).
#include "base/PathJoin.h"

#include <QDateTime>
#include <QString>

class TJob;

// A run's start time as it names log files and backup subfolders: "yyyy-mm-dd hh;nn;ss".
QString FormatRunStamp(const QDateTime& when);

// The job's own paths, from its option snapshot. Each is empty when the job's name is not a valid job
// name or the folder option is empty: nothing may then be written or deleted for the job.
// PathForLogFiles joined with the job name.
QString JobLogFolder(const TJob& job);
// PathForTempFiles joined with the job name.
QString JobTempFolder(const TJob& job);
// The local copy of the remote job file: PathForTempFiles joined with the job name + ".kxj".
QString JobTempRemoteJobFile(const TJob& job);
