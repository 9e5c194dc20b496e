#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the tests of the update check: fixed answers by path, sent
// whole, in chunks, without a length, partly, or not at all; optionally over TLS with a self-signed
// certificate made by `openssl` for the test.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

struct HttpAnswer
{
    enum Mode
    {
        Whole,         // with Content-Length
        Chunked,       // Transfer-Encoding: chunked
        WithoutLength, // neither: the end of the connection ends the body
        Stall,         // reads the request and never answers
        PartThenStall  // headers with the full length, half the body, then nothing more
    };
    HttpAnswer(int status = 200, QByteArray body = {}, Mode how = Whole, QByteArray location = {})
        : Status(status), Body(std::move(body)), How(how), Location(std::move(location))
    {
    }
    int Status;
    QByteArray Body;
    Mode How;
    QByteArray Location; // sent as "Location" (redirects)
};

class HttpServer : public QTcpServer
{
public:
    // With `tls`, makeCertificate() must have succeeded first.
    explicit HttpServer(bool tls = false);
    ~HttpServer() override;

    // A self-signed certificate for 127.0.0.1 and its key, made in `folder`.
    bool makeCertificate(const QString& folder);
    const QSslCertificate& certificate() const { return cert; }

    bool start();
    // "http://127.0.0.1:PORT" (or https).
    QUrl base() const;
    void answer(const QByteArray& path, const HttpAnswer& answer);
    // `count` redirects from `from` (`from`, `from`1, ...) ending at `to`.
    void redirects(const QByteArray& from, int count, const QByteArray& to);

    // Every request's path and User-Agent, in order.
    QList<QByteArray> requested;
    QList<QByteArray> userAgents;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void readRequest(QTcpSocket* socket);
    void send(QTcpSocket* socket, const HttpAnswer& answer);

    bool tls;
    QSslCertificate cert;
    QSslKey key;
    QHash<QByteArray, HttpAnswer> answers;
    QHash<QTcpSocket*, QByteArray> pending;
};
