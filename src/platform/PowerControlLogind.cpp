#include "platform/PowerControlLogind.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QProcess>

namespace {
constexpr int kCallTimeoutMsecs = 10000;
constexpr int kFallbackTimeoutMsecs = 30000;
} // namespace

TPowerControlLogind::TPowerControlLogind(const QString& busAddress, const QStringList& fallbackCommand)
    : busAddress(busAddress), fallbackCommand(fallbackCommand)
{
}

bool TPowerControlLogind::PowerOffComputer()
{
    bool reached = false;
    const bool accepted = askLogind(&reached);
    usedLogind = reached;
    if (reached)
        return accepted;
    return runFallback();
}

bool TPowerControlLogind::askLogind(bool* reached)
{
    const QString name = QStringLiteral("zorvan-poweroff");
    QDBusConnection bus =
        busAddress.isEmpty() ? QDBusConnection::systemBus() : QDBusConnection::connectToBus(busAddress, name);
    bool accepted = false;
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
        // Not interactive: no authentication prompt; the policy decides.
        call << false;
        const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMsecs);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            *reached = true;
            accepted = true;
        } else {
            // A refusal by logind (policy, missing rights) is an answer; a missing service is not.
            const QString error = reply.errorName();
            *reached = error != QDBusError::errorString(QDBusError::ServiceUnknown) &&
                       error != QDBusError::errorString(QDBusError::NoReply) &&
                       error != QDBusError::errorString(QDBusError::Disconnected) &&
                       error != QDBusError::errorString(QDBusError::NoServer) &&
                       error != QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
        }
    }
    if (!busAddress.isEmpty())
        QDBusConnection::disconnectFromBus(name);
    return accepted;
}

bool TPowerControlLogind::runFallback() const
{
    if (fallbackCommand.isEmpty())
        return false;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(fallbackCommand.first(), fallbackCommand.mid(1));
    if (!process.waitForStarted() || !process.waitForFinished(kFallbackTimeoutMsecs))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
