#pragma once
// One backup or recovery at a time per user: a lock file in the user's runtime folder names the
// process that runs it, so that "stop job" can find and stop it.
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <sys/types.h>

class TOperationLock
{
public:
    // zorvan-imagetool-<uid>.lock in $XDG_RUNTIME_DIR or the temporary folder.
    static QString LockFilePath();
    // Where a running operation of the user may have its lock: the own lock file and, for a stop
    // command run through pkexec or sudo, the invoking user's.
    static QStringList CandidateLockPaths();
    // The process holding the lock at `path`, or 0 when no live process holds it.
    static qint64 HolderOf(const QString& path);

    // False when another live process holds the lock.
    bool TryAcquire();
    void Release();

private:
    std::unique_ptr<QLockFile> lock;
};
