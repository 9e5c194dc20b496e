#pragma once
// Keeping the computer awake while backups run or are about to run.
class TSleepInhibitor
{
public:
    virtual ~TSleepInhibitor() = default;
    // Asks the system not to sleep until requestIdle(). Failures are ignored.
    virtual void requestBusy() = 0;
    // Lets the system sleep again.
    virtual void requestIdle() = 0;
};
