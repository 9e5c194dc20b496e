#include "app/WhilePainting.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>

void RunWhilePainting(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
        // Wakes the window thread from its wait for events.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    while (!done.load())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    worker.join();
}
