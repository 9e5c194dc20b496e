#pragma once
// The lock that keeps a job from running twice at the same time, whichever program starts it: a lock
// file per job in the runtime folder. A lock left by a process that has died is taken over.
#include <QLockFile>
#include <QString>

class TJobRunLock
{
public:
    // `key` names the job; equal keys share one lock.
    explicit TJobRunLock(const QString& key);
    TJobRunLock(const TJobRunLock&) = delete;
    TJobRunLock& operator=(const TJobRunLock&) = delete;

    // False when the job runs in this or another process.
    bool tryLock();
    void unlock();
    bool isLocked() const { return lock.isLocked(); }

    static QString lockFilePath(const QString& key);

private:
    QLockFile lock;
};
