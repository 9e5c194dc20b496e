#pragma once
// What the scheduler tests drive instead of real backups and system services: a run starter whose
// runs are real worker threads that end when the test says so (or when cancelled), and recorders for
// sleep inhibition, elevation and power-off.
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/uJob.h"
#include "platform/Elevation.h"
#include "platform/PowerControl.h"
#include "platform/SleepInhibitor.h"
#include "scheduler/RunStarter.h"

#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TTestRunStarter : public TRunStarter
{
public:
    ~TTestRunStarter() override
    {
        {
            std::lock_guard lock(mutex);
            for (auto& [job, finish] : finishRequested)
                finish = true;
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
    }

    void startBackup(TJob& job) override
    {
        job.JobStatus.store(jsRunning);
        job.JobOperation.store(joBackup);
        job.LastJobResult.StartTime.store(Now());
        job.LastJobResult.EndTime.store(0);
        job.LastJobResult.Cancelled.store(false);
        job.LastJobResult.ErrorsCount.store(0);
        job.LastJobResult.WarningsCount.store(0);
        job.LastJobResult.Log.clear();
        job.OptionsToJobOptions();
        AddEvent(Translate(QStringLiteral("Starting the \"%s\" backup.")).replace("%s", job.stJobName));
        Started.append(job.stJobName);
        {
            std::lock_guard lock(mutex);
            finishRequested[&job] = false;
        }
        workers.emplace_back([this, &job] { work(job); });
    }

    // Lets the run of `job` end and waits until its worker has set it idle.
    void finish(TJob& job)
    {
        {
            std::lock_guard lock(mutex);
            finishRequested[&job] = true;
        }
        changed.notify_all();
        waitIdle(job);
    }

    static void waitIdle(TJob& job)
    {
        while (job.JobStatus.load() != jsNone)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    QStringList Started;

private:
    // Like a run: waits for its work to end, stays while paused, stops when cancelled, and sets the
    // job idle as its last step.
    void work(TJob& job)
    {
        std::unique_lock lock(mutex);
        while (!finishRequested[&job] && job.JobStatus.load() != jsCancelling)
            changed.wait_for(lock, std::chrono::milliseconds(2));
        const bool cancelled = job.JobStatus.load() == jsCancelling;
        lock.unlock();
        job.LastJobResult.Cancelled.store(cancelled);
        job.LastJobResult.EndTime.store(Now());
        job.JobStatus.store(jsNone);
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::map<const TJob*, bool> finishRequested;
    std::vector<std::thread> workers;
};

class TRecordingSleepInhibitor : public TSleepInhibitor
{
public:
    void requestBusy() override
    {
        ++BusyRequests;
        Busy = true;
    }
    void requestIdle() override
    {
        ++IdleRequests;
        Busy = false;
    }
    bool Busy = false;
    int BusyRequests = 0;
    int IdleRequests = 0;
};

class TRecordingElevation : public TElevation
{
public:
    bool StartElevated(const QStringList& arguments) override
    {
        Requests.append(arguments);
        return Accept;
    }
    bool Accept = false;
    QList<QStringList> Requests;
};

class TRecordingPowerControl : public TPowerControl
{
public:
    bool PowerOffComputer() override
    {
        ++Requests;
        return Accept;
    }
    bool Accept = true;
    int Requests = 0;
};
