#include "app/core/RunEndWatcher.h"

#include "jobs/JobCatalogue.h"
#include "jobs/JobStatusText.h"

#include <unordered_set>

TRunEndWatcher::TRunEndWatcher(const TJobCatalogue& jobs) : jobs(jobs)
{
    Check();
}

void TRunEndWatcher::MarkStartedByHand(const TJob& job)
{
    seen[&job].ByHand = true;
}

QList<TRunEndNotice> TRunEndWatcher::Check()
{
    QList<TRunEndNotice> notices;
    std::unordered_set<const TJob*> present;
    for (int i = 0; i < jobs.count(); ++i) {
        const TJob* job = jobs.at(i);
        present.insert(job);
        TSeen& state = seen[job];
        const TJobStatus status = job->JobStatus.load();
        const double startTime = job->LastJobResult.StartTime.load();
        // A run that starts and ends between two looks still leaves its start time and its log (the
        // cancel of a waiting job also sets the start time, but empties the log).
        if (startTime != state.StartTime && !job->LastJobResult.Log.isEmpty())
            state.Running = true;
        state.StartTime = startTime;
        if (status == jsRunning || status == jsCancelling || status == jsPaused) {
            state.Busy = state.Running = true;
            continue;
        }
        if (status == jsWaiting) {
            state.Busy = true;
            continue;
        }
        // Idle: a run that was seen ends here; a waiting job that was cancelled ran nothing.
        if (state.Running && !state.ByHand) {
            const TJobResult& result = job->LastJobResult;
            const bool errors = result.Cancelled.load() || result.ErrorsCount.load() > 0;
            if (errors || result.WarningsCount.load() > 0)
                notices.append({job->stJobName, LastResultText(*job), errors});
        }
        if (state.Busy || state.Running)
            state = {false, false, false, startTime};
    }
    // Jobs that left the catalogue; their addresses may come back for new jobs.
    for (auto it = seen.begin(); it != seen.end();)
        it = present.count(it->first) ? std::next(it) : seen.erase(it);
    return notices;
}
