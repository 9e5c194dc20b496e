#include "logs/JobPaths.h"

#include "jobs/JobNames.h"
#include "jobs/uJob.h"

namespace {
bool isRooted(const QString& path)
{
    return path.startsWith('/') || path.startsWith(QLatin1String("\\\\")) ||
           path.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive);
}
} // namespace

QString JoinPath(const QString& first, const QString& second)
{
    if (second.isEmpty())
        return first;
    if (first.isEmpty() || isRooted(second))
        return second;
    if (first.endsWith('/'))
        return first + second;
    return first + '/' + second;
}

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
