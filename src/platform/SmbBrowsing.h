#pragma once
// Browsing a server for a folder to choose: its shares and the folders of a share. Each call opens its
// own session with the given credentials on the calling thread and ends it before returning, so a
// caller can run it on any worker thread. Results are 0 or an errno value.
#include <QString>
#include <QStringList>

struct TSmbCredentials
{
    QString User; // blank: the current user's credentials or an anonymous session
    QString Password;
};

// The disk shares that the server of `serverPath` ("//server[:port]", any accepted network form)
// offers, sorted; hidden and administrative shares (names ending in "$") left out.
int ListSmbShares(const QString& serverPath, const TSmbCredentials& credentials, QStringList& shares);
// The folders in the share folder `folderPath` ("//server/share[/dir]"), sorted case-insensitively.
int ListSmbFolders(const QString& folderPath, const TSmbCredentials& credentials, QStringList& folders);
// 0 when `folderPath` is a folder (a share counts), ENOTDIR when it names a file, else errno.
int CheckSmbFolder(const QString& folderPath, const TSmbCredentials& credentials);
// The session time-out of these calls: a server that does not answer is given up after this.
constexpr int kSmbBrowseTimeoutMs = 6000;
