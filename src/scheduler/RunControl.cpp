#include "scheduler/RunControl.h"

#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "scheduler/Scheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <algorithm>
#include <chrono>

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

void CancelAllAndWait(TScheduler& scheduler, int maxMsecs, int eventsMsecs)
{
    TJobCatalogue& jobs = scheduler.catalogue();
    if (!jobs.IsSomeJobRunning())
        return;
    TRunControl(scheduler).ActionCancelAllExecute();
    QDeadlineTimer deadline(maxMsecs);
    // Each running job in turn, woken at once by its end.
    while (TJob* running = jobs.FirstRunningJob()) {
        if (deadline.hasExpired())
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, eventsMsecs);
        const qint64 wait = std::min<qint64>(eventsMsecs, deadline.remainingTime());
        running->WaitUntil([running] { return running->isIdle(); }, std::chrono::milliseconds(wait));
    }
}
