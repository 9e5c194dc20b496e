#include "support/HttpServer.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>

HttpServer::HttpServer(bool tls) : tls(tls) {}

HttpServer::~HttpServer()
{
    close();
    for (QTcpSocket* socket : findChildren<QTcpSocket*>())
        socket->abort();
}

bool HttpServer::makeCertificate(const QString& folder)
{
    const QString keyPath = folder + "/key.pem";
    const QString certPath = folder + "/cert.pem";
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                              "-nodes", "-keyout", keyPath, "-out", certPath, "-days", "2", "-subj",
                              "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        return false;
    QFile certFile(certPath);
    QFile keyFile(keyPath);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly))
        return false;
    cert = QSslCertificate(&certFile, QSsl::Pem);
    key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
    return !cert.isNull() && !key.isNull();
}

bool HttpServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

QUrl HttpServer::base() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2").arg(tls ? "https" : "http").arg(serverPort()));
}

void HttpServer::answer(const QByteArray& path, const HttpAnswer& answer)
{
    answers.insert(path, answer);
}

void HttpServer::redirects(const QByteArray& from, int count, const QByteArray& to)
{
    for (int i = 0; i < count; ++i) {
        const QByteArray here = i == 0 ? from : from + QByteArray::number(i);
        const QByteArray next = i + 1 == count ? to : from + QByteArray::number(i + 1);
        answer(here, {302, {}, HttpAnswer::Whole, next});
    }
}

void HttpServer::incomingConnection(qintptr descriptor)
{
    QTcpSocket* socket = nullptr;
    if (tls) {
        auto* secure = new QSslSocket(this);
        secure->setLocalCertificate(cert);
        secure->setPrivateKey(key);
        socket = secure;
    } else {
        socket = new QTcpSocket(this);
    }
    socket->setSocketDescriptor(descriptor);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        pending.remove(socket);
        socket->deleteLater();
    });
    if (tls)
        static_cast<QSslSocket*>(socket)->startServerEncryption();
}

void HttpServer::readRequest(QTcpSocket* socket)
{
    QByteArray& request = pending[socket];
    request += socket->readAll();
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = request.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    const QByteArray path = first.value(1);
    QByteArray agent;
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("user-agent:"))
            agent = line.mid(11).trimmed();
    }
    request.clear();
    requested.append(path);
    userAgents.append(agent);
    send(socket, answers.value(path, HttpAnswer{404, "not here\n"}));
}

void HttpServer::send(QTcpSocket* socket, const HttpAnswer& answer)
{
    if (answer.How == HttpAnswer::Stall)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.Status) + " X\r\nConnection: close\r\n";
    if (!answer.Location.isEmpty())
        head += "Location: " + answer.Location + "\r\n";
    if (answer.How == HttpAnswer::Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (answer.How != HttpAnswer::WithoutLength)
        head += "Content-Length: " + QByteArray::number(answer.Body.size()) + "\r\n";
    socket->write(head + "\r\n");
    if (answer.How == HttpAnswer::Chunked) {
        constexpr qsizetype kChunk = 1000;
        for (qsizetype at = 0; at < answer.Body.size(); at += kChunk) {
            const QByteArray chunk = answer.Body.mid(at, kChunk);
            socket->write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
        }
        socket->write("0\r\n\r\n");
    } else if (answer.How == HttpAnswer::PartThenStall) {
        socket->write(answer.Body.left(answer.Body.size() / 2));
        socket->flush();
        return;
    } else {
        socket->write(answer.Body);
    }
    socket->disconnectFromHost();
}
