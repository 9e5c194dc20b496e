#pragma once
// The download of the update package into a file, then of its detached signature, which must verify
// against the program's key before anything may open the package. A package that does not verify is
// deleted. Runs on the caller's event loop; the user can abort it at any moment.
#include "update/UpdateServer.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkReply;

class TUpdateDownload : public QObject
{
    Q_OBJECT
public:
    explicit TUpdateDownload(TUpdateServer server, QObject* parent = nullptr);
    ~TUpdateDownload() override;
    Q_DISABLE_COPY_MOVE(TUpdateDownload)

    // Creates (or overwrites) `packagePath` and starts the download into it.
    void start(const QString& packagePath);
    // The user's abort: the download ends with "Download is cancelled. Please download manually.".
    void abort();

Q_SIGNALS:
    // The share received, 0 to 100; not sent while the answer's length is unknown or it comes in chunks.
    void progress(int percent);
    // Once. `ok`: the package is complete and its signature verified. Otherwise `reason` is the
    // translated reason.
    void finished(bool ok, const QString& reason);

private:
    void packageProgress(qint64 received);
    void packageFinished();
    void signatureFinished();
    void fail(const QString& reason);

    TUpdateServer server;
    QNetworkAccessManager network;
    QFile package;
    QPointer<QNetworkReply> reply;
    bool aborted = false;
    bool done = false;
};
