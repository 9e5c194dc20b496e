#include "scheduler/JobFileWatch.h"

#include "jobs/JobCatalogue.h"
#include "jobs/JobSettingsReload.h"

#include <QFileInfo>

TJobFileWatch::TStamp TJobFileWatch::StampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.lastModified(), info.size()};
}

void TJobFileWatch::TakeChangedSettings(TJobCatalogue& jobs)
{
    for (int i = 0; i < jobs.count(); ++i) {
        TJob& job = *jobs.at(i);
        const QString path = LocalJobFilePath(job.stJobName);
        if (path.isEmpty() || !job.isIdle())
            continue;
        const TStamp stamp = StampOf(path);
        const auto known = seen.constFind(path);
        if (known == seen.constEnd()) {
            seen.insert(path, stamp);
            continue;
        }
        // A file that is gone or cannot be read leaves the job as it is.
        if (known.value() == stamp || stamp.Size < 0)
            continue;
        seen.insert(path, stamp);
        if (const std::unique_ptr<TJob> saved = LoadJobFromFile(job, path))
            CopyJobSettings(*saved, job);
    }
}
