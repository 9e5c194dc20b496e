#include "jobs/JobPaths.h"

#include "jobs/JobNames.h"
#include "jobs/uJob.h"

QString FormatRunStamp(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd hh;mm;ss"));
}

QString JobLogFolder(const TJob& job)
{
    return JobNamedPath(job.JobOptions.Logging.PathForLogFiles, job.stJobName);
}

QString JobTempFolder(const TJob& job)
{
    return JobNamedPath(job.JobOptions.General.PathForTempFiles, job.stJobName);
}

QString JobTempRemoteJobFile(const TJob& job)
{
    return JobNamedPath(job.JobOptions.General.PathForTempFiles, job.stJobName, QStringLiteral(".kxj"));
}
