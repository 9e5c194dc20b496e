#pragma once
// The copy workers of a backup run: threads that make the run's small copies (TBackupCopy) while its
// walk goes on. The walk hands copies over in its order and takes their results back in that order.
#include "storage/BackupCopy.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The copy workers each backup run starts with from now on: 0 (the default) picks min(4, processors),
// 1 copies every file on the run's own thread. Each run reads it once, at its start.
void SetCopyWorkers(int workers);

class TCopyPool
{
public:
    TCopyPool(TJob& job, int workers);
    // Waits for the copies in progress; those not started are left undone.
    ~TCopyPool();
    TCopyPool(const TCopyPool&) = delete;
    TCopyPool& operator=(const TCopyPool&) = delete;

    void submit(std::shared_ptr<TBackupCopy> copy);
    bool isDone(const TBackupCopy& copy);
    void waitFor(const TBackupCopy& copy);

    // The number of copy workers a run starts with (see SetCopyWorkers); 1 means none.
    static int workersForRun();

private:
    void work();

    TJob& job;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    std::deque<std::shared_ptr<TBackupCopy>> waiting;
    bool stopping = false;
    std::vector<std::thread> threads;
};
