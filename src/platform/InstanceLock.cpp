#include "platform/InstanceLock.h"

#include "platform/AskingUser.h"
#include "platform/StandardFolders.h"

QString TInstanceLock::lockFilePath()
{
    // The runtime folder may fall back to a temporary folder that all users share: the user id keeps
    // the name per user there. An elevated instance takes the lock of the user it works for, so that
    // this user's next start finds it running.
    return StandardFolders::runtimeFolder() + QStringLiteral("/zorvan-backup-%1.lock").arg(WorkingUserId());
}

TInstanceLock::TInstanceLock() : file(std::make_unique<QLockFile>(lockFilePath()))
{
    // Only a dead holder makes the lock stale, never its age: a program may run for months.
    file->setStaleLockTime(0);
}

TInstanceLock::~TInstanceLock() = default;

bool TInstanceLock::tryLock()
{
    if (file->isLocked())
        return true;
    MakePathForAskingUser(StandardFolders::runtimeFolder());
    if (!file->tryLock(0))
        return false;
    // The user's own processes must be able to read who holds it, and to take over a lock left behind.
    GiveToAskingUser(lockFilePath());
    return true;
}

void TInstanceLock::unlock()
{
    file->unlock();
}

bool TInstanceLock::isLocked() const
{
    return file->isLocked();
}

qint64 TInstanceLock::holderProcessId() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!file->getLockInfo(&pid, &host, &application))
        return 0;
    return pid;
}
