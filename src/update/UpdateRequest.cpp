#include "update/UpdateRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

namespace {
constexpr int kMaxRedirects = 10;
} // namespace

QNetworkRequest UpdateRequest(const QUrl& url, int readTimeoutMsecs)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/4.0 (compatible; MyApp)"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (readTimeoutMsecs > 0)
        request.setTransferTimeout(readTimeoutMsecs);
    return request;
}

TFetchResult FetchIntoMemory(QNetworkAccessManager& network, const QUrl& url, int readTimeoutMsecs,
                             qint64 maxBytes)
{
    TFetchResult result;
    std::unique_ptr<QNetworkReply> reply(network.get(UpdateRequest(url, readTimeoutMsecs)));
    bool tooLong = false;
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(),
                     [&](qint64 received, qint64) {
                         if (received > maxBytes && !tooLong) {
                             tooLong = true;
                             reply->abort();
                         }
                     });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    if (tooLong) {
        result.Error = QStringLiteral("The answer from %1 is too long.").arg(url.toString());
    } else if (reply->error() != QNetworkReply::NoError) {
        result.Error = reply->errorString();
    } else {
        result.Body = reply->readAll();
        result.Ok = true;
    }
    return result;
}
