#pragma once
// Network share paths: "//server[:port]/share/dir" is the form the program uses; "\\server\share\dir"
// and "smb://server[:port]/share/dir" are accepted and normalised to it.
#include <QString>

struct TSmbPath
{
    QString host;
    int port = 0; // 0: the default port
    QString share;
    QString rest; // below the share, without a leading "/"; empty for the share itself

    bool isValid() const { return !host.isEmpty() && !share.isEmpty(); }
    // "//host[:port]/share[/rest]"
    QString toPath() const;
    // "smb://host[:port]/share[/rest]" with the parts percent-encoded for libsmbclient.
    QByteArray toUrl() const;
    // Equal for two paths on the same share of the same server.
    QString shareKey() const;
};

// True when the path has one of the three network forms (with or without a share).
bool IsSmbPath(const QString& path);
// Splits a network path; an invalid result when it is not one or names no share.
TSmbPath ParseSmbPath(const QString& path);
// A network path in the "//server[:port]/share/dir" form; other paths unchanged.
QString NormaliseSmbPath(const QString& path);
