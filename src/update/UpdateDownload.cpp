#include "update/UpdateDownload.h"

#include "i18n/Translate.h"
#include "update/PackageSignature.h"
#include "update/UpdateRequest.h"

#include <QNetworkReply>

namespace {
constexpr qint64 kMaxSignatureBytes = 4096;
} // namespace

TUpdateDownload::TUpdateDownload(TUpdateServer server, QObject* parent)
    : QObject(parent), server(std::move(server))
{
}

TUpdateDownload::~TUpdateDownload()
{
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void TUpdateDownload::start(const QString& packagePath)
{
    package.setFileName(packagePath);
    if (!package.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(package.errorString());
        return;
    }
    // No read time-out: the user watches the bar and can abort.
    reply = network.get(UpdateRequest(server.package(), 0));
    connect(reply, &QNetworkReply::readyRead, this, [this] { package.write(reply->readAll()); });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64) { packageProgress(received); });
    connect(reply, &QNetworkReply::finished, this, &TUpdateDownload::packageFinished);
}

void TUpdateDownload::abort()
{
    aborted = true;
    if (reply)
        reply->abort();
}

void TUpdateDownload::packageProgress(qint64 received)
{
    if (!reply)
        return;
    const QByteArray encoding = reply->rawHeader("Transfer-Encoding").toLower();
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (encoding.contains("chunked") || length <= 0)
        return;
    Q_EMIT progress(static_cast<int>(100 * received / length));
}

void TUpdateDownload::packageFinished()
{
    reply->deleteLater();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    if (error == QNetworkReply::NoError)
        package.write(reply->readAll());
    reply = nullptr;
    package.close();
    if (aborted) {
        fail(Translate(QStringLiteral("Download is cancelled. Please download manually.")));
        return;
    }
    if (error != QNetworkReply::NoError) {
        fail(errorText);
        return;
    }
    if (!package.exists()) {
        fail(Translate(QStringLiteral("Cannot find downloaded file.")));
        return;
    }
    reply = network.get(UpdateRequest(server.packageSignature(), server.ReadTimeoutMsecs));
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > kMaxSignatureBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, &TUpdateDownload::signatureFinished);
}

void TUpdateDownload::signatureFinished()
{
    reply->deleteLater();
    const bool fetched = reply->error() == QNetworkReply::NoError;
    const QByteArray signature = fetched ? reply->readAll() : QByteArray();
    reply = nullptr;
    if (aborted) {
        package.remove();
        fail(Translate(QStringLiteral("Download is cancelled. Please download manually.")));
        return;
    }
    if (!fetched || !PackageSignatureValid(package.fileName(), signature, server.PublicKey)) {
        // Never left where someone could open it by mistake.
        package.remove();
        if (fetched)
            fail(Translate(
                QStringLiteral("The downloaded update could not be verified: its signature does not "
                               "match. It has been deleted.")));
        else
            fail(Translate(
                QStringLiteral("The downloaded update could not be verified: its signature could not "
                               "be downloaded. It has been deleted.")));
        return;
    }
    done = true;
    Q_EMIT finished(true, QString());
}

void TUpdateDownload::fail(const QString& reason)
{
    if (done)
        return;
    done = true;
    Q_EMIT finished(false, reason);
}
