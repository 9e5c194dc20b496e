#include "update/UpdateServer.h"

namespace {

const QString kVendorSite = QStringLiteral("https://zorvanbackup.example");

// The release key's public half; packages are signed with its private half when they are published.
const char* const kReleasePublicKey = "G2zCM67LAfdOEWwI716NV6l4BNiwbp3iXcYl+PAWq3E=";

QUrl below(const QUrl& base, const QString& path)
{
    QUrl url = base;
    QString prefix = url.path();
    while (prefix.endsWith('/'))
        prefix.chop(1);
    url.setPath(prefix + path);
    return url;
}

} // namespace

QUrl TUpdateServer::versionPage() const
{
    return below(Base, QStringLiteral("/download/version/zorvanbackup-version.html"));
}

QUrl TUpdateServer::changesPage() const
{
    return below(Base, QStringLiteral("/download/version/zorvanbackup-changes.html"));
}

QUrl TUpdateServer::package() const
{
    return below(Base, QStringLiteral("/download/zorvanbackup.deb"));
}

QUrl TUpdateServer::packageSignature() const
{
    return below(Base, QStringLiteral("/download/zorvanbackup.deb.sig"));
}

QUrl TUpdateServer::webSite() const
{
    return below(Base, QStringLiteral("/"));
}

TUpdateServer UpdateServerFromEnvironment()
{
    TUpdateServer server;
    const QString base = qEnvironmentVariable("ZORVAN_UPDATE_SERVER");
    server.Base = QUrl(base.isEmpty() ? kVendorSite : base);
    const QByteArray key = qgetenv("ZORVAN_UPDATE_PUBLIC_KEY");
    server.PublicKey = QByteArray::fromBase64(key.isEmpty() ? QByteArray(kReleasePublicKey) : key);
    bool ok = false;
    const int timeout = qEnvironmentVariableIntValue("ZORVAN_UPDATE_READ_TIMEOUT_MS", &ok);
    if (ok && timeout > 0)
        server.ReadTimeoutMsecs = timeout;
    return server;
}

int RunningVersionTimesTen()
{
    return QStringLiteral(ZORVAN_VERSION).remove('.').toInt();
}

QString DownloadedPackageFileName()
{
    return QStringLiteral("update.deb");
}
