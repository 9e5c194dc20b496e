#include "platform/DeferredClose.h"

#include <thread>
#include <unistd.h>

TDeferredClose& TDeferredClose::instance()
{
    // Never destroyed: its thread may still be closing while the process exits (the kernel closes
    // what is left), and a forked child must not try to join a thread it does not have.
    static auto* closer = new TDeferredClose;
    return *closer;
}

void TDeferredClose::close(int fd)
{
    if (fd < 0)
        return;
    {
        std::lock_guard lock(mutex);
        if (waiting.size() < kMaxWaiting) {
            if (!started) {
                std::thread([this] { run(); }).detach();
                started = true;
            }
            waiting.push_back(fd);
            wake.notify_one();
            return;
        }
    }
    ::close(fd);
}

void TDeferredClose::drain()
{
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return waiting.empty() && !closing; });
}

void TDeferredClose::run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return !waiting.empty(); });
        const int fd = waiting.front();
        waiting.pop_front();
        closing = true;
        lock.unlock();
        ::close(fd);
        lock.lock();
        closing = false;
        if (waiting.empty())
            idle.notify_all();
    }
}
