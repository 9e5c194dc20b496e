#pragma once
// Sleep inhibition through systemd-logind: Inhibit("sleep:idle", …, "block") hands out a file
// descriptor, and the lock holds while the descriptor is open. Without a system bus or logind the
// requests do nothing.
#include "platform/SleepInhibitor.h"

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

class TSleepInhibitorDBus : public QObject, public TSleepInhibitor
{
    Q_OBJECT
public:
    // `busAddress` empty: the system bus; otherwise the bus at that address (for tests).
    explicit TSleepInhibitorDBus(const QString& busAddress = QString(), QObject* parent = nullptr);
    ~TSleepInhibitorDBus() override;
    Q_DISABLE_COPY_MOVE(TSleepInhibitorDBus)

    void requestBusy() override;
    void requestIdle() override;

    // Whether an inhibition descriptor is held at this moment.
    bool isHeld() const { return lock.isValid(); }
    // Whether a request to logind is still waiting for its answer.
    bool isPending() const { return pending != nullptr; }

Q_SIGNALS:
    // The answer to the last requestBusy() has arrived (held or refused).
    void busyRequestFinished(bool held);

private:
    void onInhibitReply(QDBusPendingCallWatcher* watcher);

    QString connectionName;
    bool ownConnection = false;
    bool wantBusy = false;
    QDBusPendingCallWatcher* pending = nullptr;
    QDBusUnixFileDescriptor lock;
};
