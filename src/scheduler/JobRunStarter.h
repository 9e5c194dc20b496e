#pragma once
// The production run starter: the backup of each job kind as the engine and the drive image module
// provide it.
#include "scheduler/RunStarter.h"

class TJobRunStarter : public TRunStarter
{
public:
    // A job that already runs in another process (the command line, another instance) is left
    // waiting: the tick tries again each second and it runs once the other run has ended.
    void startBackup(TJob& job) override;
};
