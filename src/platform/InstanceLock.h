#pragma once
// The per-user instance lock: one lock file in the runtime folder, held by whichever of the program
// and `zorvanbackup-cli scheduler` schedules jobs. A lock left by a process that has died is taken over.
#include <QLockFile>
#include <QString>

#include <memory>

class TInstanceLock
{
public:
    TInstanceLock();
    ~TInstanceLock();
    Q_DISABLE_COPY_MOVE(TInstanceLock)

    // Takes the lock without waiting; false when another live process holds it or the folder cannot
    // be written.
    bool tryLock();
    void unlock();
    bool isLocked() const;
    // The process id written by the holder, or 0 when unknown.
    qint64 holderProcessId() const;

    static QString lockFilePath();

private:
    std::unique_ptr<QLockFile> file;
};
