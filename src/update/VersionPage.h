#pragma once
// The version and changes pages of the update server, read without any network: what they say and
// the text the new-version dialog shows for them.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct TVersionPage
{
    int Latest = 0; // version × 10
    int Oldest = 0; // the oldest version that may still run, × 10
    // The latest version as the page writes it, with a "." before its last digit ("11" gives "1.1").
    QString DisplayedVersion;
    QString InstallerFileName; // line 2; kept, the download uses a fixed path
};

// Line 1 "LATEST/OLDEST" (two integers), line 2 the installer's name, further lines ignored. Nothing
// for fewer than two lines, a line 1 without "/" or with a value that is not an integer.
std::optional<TVersionPage> ParseVersionPage(const QByteArray& page);

// One change per line, empty lines dropped.
QStringList ParseChangesPage(const QByteArray& page);

struct TNewVersion
{
    bool Offered = false;    // an update is to be offered
    bool MustUpdate = false; // the running version is too old to go on
    QString Text;            // translated, for the dialog
    QString InstallerFileName;
};

// What the pages mean for the running version (× 10).
TNewVersion EvaluateNewVersion(const TVersionPage& version, const QStringList& changes, int running);
