#pragma once
// Closes descriptors on a thread of its own. A file that a rename replaces or an unlink removes is
// freed when its last reference goes; on a file system mounted with "discard" that waits for the
// device, on any other it still truncates in the caller. Holding an O_PATH descriptor across the
// rename or unlink and handing it over here moves that work off the caller's thread.
#include <condition_variable>
#include <deque>
#include <mutex>

class TDeferredClose
{
public:
    static TDeferredClose& instance();

    // Takes `fd` over. With too many still waiting it is closed at once, in the caller: the process
    // must not run out of descriptors.
    void close(int fd);
    // Returns once every descriptor handed over so far is closed (before a storage is let go: a
    // descriptor still held keeps its volume busy).
    void drain();

private:
    TDeferredClose() = default;
    void run();

    static constexpr size_t kMaxWaiting = 64;
    std::mutex mutex;
    std::condition_variable wake, idle;
    std::deque<int> waiting;
    bool closing = false; // the thread is inside close() on a descriptor it took
    bool started = false;
};
