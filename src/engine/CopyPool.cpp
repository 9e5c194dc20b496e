#include "engine/CopyPool.h"

#include "i18n/RunLanguage.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<int> copyWorkers{0};
} // namespace

void SetCopyWorkers(int workers)
{
    copyWorkers = std::max(workers, 0);
}

TCopyPool::TCopyPool(TJob& job, int workers) : job(job)
{
    for (int i = 0; i < workers; ++i)
        threads.emplace_back([this] { work(); });
}

TCopyPool::~TCopyPool()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    for (std::thread& thread : threads)
        thread.join();
}

int TCopyPool::workersForRun()
{
    if (const int workers = copyWorkers.load(); workers > 0)
        return workers;
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

void TCopyPool::submit(std::shared_ptr<TBackupCopy> copy)
{
    {
        std::lock_guard lock(mutex);
        waiting.push_back(std::move(copy));
    }
    wake.notify_one();
}

bool TCopyPool::isDone(const TBackupCopy& copy)
{
    return copy.done.load(std::memory_order_acquire);
}

void TCopyPool::waitFor(const TBackupCopy& copy)
{
    std::unique_lock lock(mutex);
    finished.wait(lock, [&copy] { return copy.done.load(std::memory_order_acquire); });
}

void TCopyPool::work()
{
    // Like the run's own thread, a worker writes its lines in the run's language.
    const TRunLanguageScope language(job.JobOptions.Language);
    for (;;) {
        std::shared_ptr<TBackupCopy> copy;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stopping || !waiting.empty(); });
            if (stopping)
                return;
            copy = std::move(waiting.front());
            waiting.pop_front();
        }
        RunBackupCopy(job, *copy);
        {
            std::lock_guard lock(mutex);
            copy->done.store(true, std::memory_order_release);
        }
        finished.notify_all();
    }
}
