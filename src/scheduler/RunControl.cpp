#include "scheduler/RunControl.h"

#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "scheduler/Scheduler.h"

TRunControl::TRunControl(TScheduler& scheduler) : scheduler(scheduler) {}

QString TRunControl::RefusalText()
{
    return Translate(
        QStringLiteral("Unable to complete the action at the moment. Please try again in several seconds."));
}

TRunControlResult TRunControl::ActionBackupExecute(TJob* selected)
{
    if (!selected)
        return rcNoSelection;
    if (scheduler.TickInProgress)
        return rcRefused;
    TJobStatus expected = jsNone;
    return selected->JobStatus.compare_exchange_strong(expected, jsWaiting) ? rcDone : rcRefused;
}

TRunControlResult TRunControl::ActionPauseExecute(TJob* selected)
{
    if (!selected)
        return rcNoSelection;
    if (scheduler.TickInProgress)
        return rcRefused;
    selected->Pause();
    return rcDone;
}

TRunControlResult TRunControl::ActionResumeExecute(TJob* selected)
{
    if (!selected)
        return rcNoSelection;
    if (scheduler.TickInProgress)
        return rcRefused;
    // Only a paused job: making an idle or finished job "running" would leave it running for good,
    // with no worker to set it back.
    TJobStatus expected = jsPaused;
    selected->JobStatus.compare_exchange_strong(expected, jsRunning);
    return rcDone;
}

TRunControlResult TRunControl::ActionCancelExecute(TJob* selected)
{
    if (!selected)
        return rcNoSelection;
    if (scheduler.TickInProgress)
        return rcRefused;
    selected->Cancel();
    return rcDone;
}

void TRunControl::ActionPauseAllExecute()
{
    TJobCatalogue& jobs = scheduler.catalogue();
    for (int i = 0; i < jobs.count(); ++i) {
        if (!scheduler.TickInProgress)
            jobs.at(i)->Pause();
    }
}

void TRunControl::ActionCancelAllExecute()
{
    TJobCatalogue& jobs = scheduler.catalogue();
    for (int i = 0; i < jobs.count(); ++i) {
        if (!scheduler.TickInProgress)
            jobs.at(i)->Cancel();
    }
}
