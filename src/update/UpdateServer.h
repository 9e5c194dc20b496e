#pragma once
// Where the program looks for a newer version of itself: the vendor's server over HTTPS, the public key
// the downloaded package's signature must verify against, and the read time-out of the check.
#include <QByteArray>
#include <QString>
#include <QUrl>

struct TUpdateServer
{
    // The server's root; the pages and the package are paths below it.
    QUrl Base;
    // Raw Ed25519 public key (32 bytes).
    QByteArray PublicKey;
    // A request of the check that receives nothing for this long fails.
    int ReadTimeoutMsecs = 10000;

    QUrl versionPage() const;
    QUrl changesPage() const;
    QUrl package() const;
    QUrl packageSignature() const;
    // The web site opened when a download fails.
    QUrl webSite() const;
};

// The vendor's server with the key built into the program. Tests replace the server's root
// (ZORVAN_UPDATE_SERVER), the key (ZORVAN_UPDATE_PUBLIC_KEY, base64 of the raw key) and the read
// time-out (ZORVAN_UPDATE_READ_TIMEOUT_MS) through the environment.
TUpdateServer UpdateServerFromEnvironment();

// The running version as the version page counts it: version × 10 (1.0 is 10).
int RunningVersionTimesTen();

// The file name the package is downloaded to in the temporary folder.
QString DownloadedPackageFileName();
