#include "platform/InstanceLock.h"

#include "platform/StandardFolders.h"

#include <QDir>

#include <unistd.h>

QString TInstanceLock::lockFilePath()
{
    // The runtime folder may fall back to a temporary folder that all users share: the user id keeps
    // the name per user there.
    return StandardFolders::runtimeFolder() + QStringLiteral("/zorvan-backup-%1.lock").arg(getuid());
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
    QDir().mkpath(StandardFolders::runtimeFolder());
    return file->tryLock(0);
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
