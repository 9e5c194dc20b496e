#include "platform/SleepInhibitorDBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <atomic>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
constexpr int kCallTimeoutMsecs = 5000;

QString uniqueConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("zorvan-inhibit-%1").arg(counter.fetch_add(1));
}

} // namespace

TSleepInhibitorDBus::TSleepInhibitorDBus(const QString& busAddress, QObject* parent) : QObject(parent)
{
    if (busAddress.isEmpty()) {
        connectionName = QDBusConnection::systemBus().name();
    } else {
        connectionName = uniqueConnectionName();
        QDBusConnection::connectToBus(busAddress, connectionName);
        ownConnection = true;
    }
}

TSleepInhibitorDBus::~TSleepInhibitorDBus()
{
    delete pending;
    pending = nullptr;
    lock = QDBusUnixFileDescriptor();
    if (ownConnection)
        QDBusConnection::disconnectFromBus(connectionName);
}

void TSleepInhibitorDBus::requestBusy()
{
    wantBusy = true;
    if (lock.isValid() || pending)
        return;
    QDBusConnection bus(connectionName);
    if (!bus.isConnected()) {
        Q_EMIT busyRequestFinished(false);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral(ZORVAN_APP_TITLE)
         << QStringLiteral("Backup jobs are running or about to run") << QStringLiteral("block");
    // Asynchronous, so that a slow or missing logind never holds up the scheduler tick.
    pending = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMsecs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, &TSleepInhibitorDBus::onInhibitReply);
}

void TSleepInhibitorDBus::requestIdle()
{
    wantBusy = false;
    // Closing the descriptor ends the inhibition; a reply still on its way is dropped when it comes.
    lock = QDBusUnixFileDescriptor();
}

void TSleepInhibitorDBus::onInhibitReply(QDBusPendingCallWatcher* watcher)
{
    QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    watcher->deleteLater();
    pending = nullptr;
    if (!reply.isError() && wantBusy)
        lock = reply.value();
    Q_EMIT busyRequestFinished(lock.isValid());
}
