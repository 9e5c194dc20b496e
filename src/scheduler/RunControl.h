#pragma once
// The user's run-control commands on the selected job: "Backup", "Pause", "Resume", "Cancel", and
// "Pause All" / "Cancel All" on every job. They are refused while a scheduler tick is in progress.
#include <QString>

class TJob;
class TScheduler;

enum TRunControlResult
{
    rcDone = 0,
    rcRefused = 1, // the window shows RefusalText() in a plain message box
    rcNoSelection = 2
};

class TRunControl
{
public:
    explicit TRunControl(TScheduler& scheduler);

    // "Backup": an idle job becomes waiting; the next tick starts it.
    TRunControlResult ActionBackupExecute(TJob* selected);
    TRunControlResult ActionPauseExecute(TJob* selected);
    // "Resume": a paused job runs on; any other status is left as it is.
    TRunControlResult ActionResumeExecute(TJob* selected);
    TRunControlResult ActionCancelExecute(TJob* selected);
    // Never refused; while a tick is in progress every job is skipped.
    void ActionPauseAllExecute();
    void ActionCancelAllExecute();

    // "Unable to complete the action at the moment. Please try again in several seconds.", translated.
    static QString RefusalText();

private:
    TScheduler& scheduler;
};

// Cancels every job (as "Cancel All") and waits for the running ones to end, at most `maxMsecs`; the
// main thread's events are handled at least every `eventsMsecs` meanwhile, so a window stays responsive.
void CancelAllAndWait(TScheduler& scheduler, int maxMsecs, int eventsMsecs);
