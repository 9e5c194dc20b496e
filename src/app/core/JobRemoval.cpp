#include "app/core/JobRemoval.h"

#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobNames.h"
#include "platform/JobRunLock.h"
#include "storage/DestinationIdentity.h"

#include <QFile>

TJobRemovalResult TJobRemoval::Remove(TJobCatalogue& catalogue, int index) const
{
    TJobRemovalResult result;
    TJob* job = catalogue.at(index);
    // Held until the job is gone, so that no run of it can start meanwhile.
    TJobRunLock runLock(FoldJobName(job->stJobName));
    if (!job->isIdle() || !runLock.tryLock()) {
        result.Step = jrJobRunning;
        return result;
    }
    if (RemoveBackups) {
        if (Started)
            Started();
        result.BackupsRemoved = job->Remove();
        if (Ended)
            Ended();
        if (result.BackupsRemoved)
            AddEvent(job->Translate(
                QStringLiteral("The backup folder has been removed successfully on the storage device.")));
        else if (ShowError)
            ShowError(BackupsNotRemovedText(*job));
    }

    const QString jobFile = LocalJobFilePath(job->stJobName);
    if (QFile::exists(jobFile) && !QFile::remove(jobFile)) {
        AddEvent(job->Translate(QStringLiteral("Error: unable to remove the file:")) + jobFile);
        result.Step = jrFileNotRemoved;
        return result;
    }
    ForgetDestinationIdentity(job->stJobName);
    const std::unique_ptr<TJob> removed = catalogue.takeAt(index);
    result.ListSaved = catalogue.SaveJobsList();
    if (result.ListSaved)
        AddEvent(Translate(QStringLiteral("Job is removed.")));
    else
        AddEvent(Translate(QStringLiteral("Error: unable to save the jobs list:")) + JobsListFilePath());
    return result;
}

QString TJobRemoval::BackupsNotRemovedText(const TJob& job)
{
    return job.Translate(QStringLiteral("Unable to remove the backup folder.")) + QStringLiteral("\n\n") +
           job.Translate(
               QStringLiteral("Make sure the storage device is connected. Then remove it manually"));
}
