#include "app/core/InstanceHandOver.h"

#include "platform/AskingUser.h"
#include "platform/StandardFolders.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QVariant>

namespace {

const QByteArray kShow = "show";
const QByteArray kImport = "import ";
const QByteArray kAcknowledgement = "ok\n";
// The longest line a request may have: a path is far shorter.
constexpr qint64 kMaxLineBytes = 65536;
constexpr int kRetryMsecs = 50;

} // namespace

THandOverRequest HandOverRequestFor(const TCommandLine& commandLine)
{
    const QString path = commandLine.JobFileToImport();
    if (!path.isEmpty())
        return {THandOverRequest::hoImport, path};
    return {THandOverRequest::hoShow, {}};
}

QByteArray EncodeHandOverRequest(const THandOverRequest& request)
{
    if (request.Kind == THandOverRequest::hoImport)
        return kImport + request.Path.toUtf8() + '\n';
    return kShow + '\n';
}

std::optional<THandOverRequest> DecodeHandOverRequest(const QByteArray& line)
{
    QByteArray text = line;
    if (text.endsWith('\n'))
        text.chop(1);
    if (text == kShow)
        return THandOverRequest{THandOverRequest::hoShow, {}};
    if (text.startsWith(kImport) && text.size() > kImport.size())
        return THandOverRequest{THandOverRequest::hoImport, QString::fromUtf8(text.mid(kImport.size()))};
    return std::nullopt;
}

QString HandOverServerName()
{
    // Named, like the instance lock, by the user the process works for: the user's own starts hand over
    // to an elevated instance that works for them.
    return StandardFolders::runtimeFolder() + QStringLiteral("/zorvan-backup-%1.socket").arg(WorkingUserId());
}

THandOverResult SendHandOver(const THandOverRequest& request, int connectMsecs)
{
    QLocalSocket socket;
    QDeadlineTimer deadline(connectMsecs);
    for (;;) {
        socket.connectToServer(HandOverServerName());
        if (socket.waitForConnected(kRetryMsecs))
            break;
        if (deadline.hasExpired())
            return hrNoInstance;
        QThread::msleep(kRetryMsecs);
    }
    socket.write(EncodeHandOverRequest(request));
    if (!socket.waitForBytesWritten(-1))
        return hrNoAnswer;
    QByteArray answer;
    while (!answer.endsWith('\n')) {
        if (!socket.waitForReadyRead(-1))
            return hrNoAnswer;
        answer += socket.readAll();
    }
    return answer == kAcknowledgement ? hrAcknowledged : hrNoAnswer;
}

THandOverServer::THandOverServer(QObject* parent) : QObject(parent) {}

THandOverServer::~THandOverServer() = default;

bool THandOverServer::listen()
{
    close();
    server = std::make_unique<QLocalServer>();
    // Only the socket's owner may hand over: this user, or the asking user of an elevated instance, to
    // whom the socket is then given.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server.get(), &QLocalServer::newConnection, this, &THandOverServer::acceptConnections);
    QLocalServer::removeServer(HandOverServerName());
    if (server->listen(HandOverServerName()) && GiveToAskingUser(server->fullServerName()))
        return true;
    server.reset();
    return false;
}

bool THandOverServer::isListening() const
{
    return server && server->isListening();
}

void THandOverServer::close()
{
    if (server)
        server->close();
    server.reset();
}

void THandOverServer::acceptConnections()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        readRequest(socket);
    }
}

void THandOverServer::readRequest(QLocalSocket* socket)
{
    if (socket->property("handled").toBool())
        return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxLineBytes)
            socket->disconnectFromServer();
        return;
    }
    socket->setProperty("handled", true);
    const std::optional<THandOverRequest> request = DecodeHandOverRequest(socket->readLine(kMaxLineBytes));
    // The handler may show dialogs, during which the sender can go away.
    QPointer<QLocalSocket> alive(socket);
    if (request && Handler)
        Handler(*request);
    if (!alive)
        return;
    if (request)
        socket->write(kAcknowledgement);
    socket->flush();
    socket->disconnectFromServer();
}
