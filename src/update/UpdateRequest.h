#pragma once
// The requests of the update check and download: the program's User-Agent, at most 10 redirects and
// never from HTTPS down to plain HTTP, nothing from a cache.
#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// `readTimeoutMsecs` 0: no time-out.
QNetworkRequest UpdateRequest(const QUrl& url, int readTimeoutMsecs);

struct TFetchResult
{
    bool Ok = false;
    QByteArray Body;
    QString Error;
};

// GETs `url` into memory, waiting in a local event loop. An answer longer than `maxBytes` fails.
TFetchResult FetchIntoMemory(QNetworkAccessManager& network, const QUrl& url, int readTimeoutMsecs,
                             qint64 maxBytes);
