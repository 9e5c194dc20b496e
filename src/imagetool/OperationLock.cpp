#include "imagetool/OperationLock.h"

#include "platform/StandardFolders.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace {
QString lockFileName(uid_t uid)
{
    return QStringLiteral("zorvan-imagetool-%1.lock").arg(uid);
}
} // namespace

QString TOperationLock::LockFilePath()
{
    return StandardFolders::runtimeFolder() + '/' + lockFileName(::getuid());
}

QStringList TOperationLock::CandidateLockPaths()
{
    QStringList paths{LockFilePath()};
    if (::getuid() == 0) {
        for (const char* variable : {"PKEXEC_UID", "SUDO_UID"}) {
            bool ok = false;
            const uint uid = qEnvironmentVariable(variable).toUInt(&ok);
            if (!ok)
                continue;
            for (const QString& folder :
                 {QStringLiteral("/run/user/%1").arg(uid), QDir::tempPath(), QStringLiteral("/tmp")}) {
                const QString path = folder + '/' + lockFileName(uid);
                if (!paths.contains(path))
                    paths.append(path);
            }
        }
    }
    return paths;
}

qint64 TOperationLock::HolderOf(const QString& path)
{
    if (!QFileInfo::exists(path))
        return 0;
    QLockFile probe(path);
    // Succeeds when nobody or a dead process holds it (a stale lock is taken over).
    if (probe.tryLock(0)) {
        probe.unlock();
        return 0;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (!probe.getLockInfo(&pid, &host, &application))
        return 0;
    return pid;
}

bool TOperationLock::TryAcquire()
{
    lock = std::make_unique<QLockFile>(LockFilePath());
    lock->setStaleLockTime(0); // only a dead holder makes the lock stale, however long a backup runs
    if (lock->tryLock(0))
        return true;
    lock.reset();
    return false;
}

void TOperationLock::Release()
{
    if (lock)
        lock->unlock();
    lock.reset();
}
