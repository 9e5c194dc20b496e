// The worker thread of a backup run: the run lock is held while it runs, and an error that escapes the
// run ends it as failed instead of ending the program.
#include "events/EventsLog.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/RunLifecycle.h"
#include "platform/JobRunLock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

bool waitUntilIdle(const TJob& job)
{
    for (int i = 0; i < 500 && job.JobStatus.load() != jsNone; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return job.JobStatus.load() == jsNone;
}

} // namespace

TEST(BackupWorker, AnEscapingErrorEndsTheRunAsFailedAndFreesTheJob)
{
    TJob_FilesAndFolders job(QStringLiteral("Worker job"));
    EventsQueue().takeAll();
    auto lock = std::make_unique<TJobRunLock>(QStringLiteral("worker job"));
    ASSERT_TRUE(lock->tryLock());
    BeginBackupRun(job);
    StartBackupWorker(job, std::move(lock),
                      [](const std::function<void()>&) { throw std::runtime_error("the disk is on fire"); });
    ASSERT_TRUE(waitUntilIdle(job));
    EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), 1);
    EXPECT_NE(job.LastJobResult.EndTime.load(), 0);
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(
        events[1].endsWith(QStringLiteral("Error occured in job \"Worker job\": the disk is on fire")))
        << events[1].toStdString();
    TJobRunLock again(QStringLiteral("worker job"));
    EXPECT_TRUE(again.tryLock()) << "the run lock went with the failed run";
}

TEST(BackupWorker, TheLockIsHeldUntilTheRunLetsItGo)
{
    TJob_FilesAndFolders job(QStringLiteral("Worker job 2"));
    auto lock = std::make_unique<TJobRunLock>(QStringLiteral("worker job 2"));
    ASSERT_TRUE(lock->tryLock());
    std::atomic<bool> heldDuringRun{false};
    BeginBackupRun(job);
    StartBackupWorker(job, std::move(lock), [&](const std::function<void()>& releaseLock) {
        TJobRunLock other(QStringLiteral("worker job 2"));
        heldDuringRun = !other.tryLock();
        releaseLock();
        job.JobStatus = jsNone;
    });
    ASSERT_TRUE(waitUntilIdle(job));
    EXPECT_TRUE(heldDuringRun.load());
    EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), 0);
}
