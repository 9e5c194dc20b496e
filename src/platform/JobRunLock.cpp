#include "platform/JobRunLock.h"

#include "platform/StandardFolders.h"

#include <QDir>

TJobRunLock::TJobRunLock(const QString& key) : lock(lockFilePath(key))
{
    // A run may last for hours: the lock is stale only when its process has gone, never by its age.
    lock.setStaleLockTime(0);
}

QString TJobRunLock::lockFilePath(const QString& key)
{
    return StandardFolders::runtimeFolder() + QStringLiteral("/" ZORVAN_APP_TITLE " job ") + key +
           QStringLiteral(".lock");
}

bool TJobRunLock::tryLock()
{
    QDir().mkpath(StandardFolders::runtimeFolder());
    return lock.tryLock(0);
}

void TJobRunLock::unlock()
{
    if (lock.isLocked())
        lock.unlock();
}
