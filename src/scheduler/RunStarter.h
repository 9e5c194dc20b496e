#pragma once
// How the scheduler starts a backup run. The production starter calls the job kind's Backup; tests use
// their own starter with a real worker thread.
class TJob;

class TRunStarter
{
public:
    virtual ~TRunStarter() = default;
    // Starts a backup of `job` as the kinds' Backup does: on the calling thread the job becomes
    // jsRunning with joBackup, a fresh LastJobResult starting now and a copy of the global options,
    // the event "Starting the "%s" backup." is added and a worker thread is started; the worker sets
    // the job back to jsNone as its last step. A job that cannot start (it already runs in another
    // process) is left as it was.
    virtual void startBackup(TJob& job) = 0;
};
