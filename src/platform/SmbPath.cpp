#include "platform/SmbPath.h"

#include <QStringList>

bool IsSmbPath(const QString& path)
{
    return path.startsWith(QStringLiteral("//")) || path.startsWith(QStringLiteral("\\\\")) ||
           path.startsWith(QStringLiteral("smb://"), Qt::CaseInsensitive);
}

TSmbPath ParseSmbPath(const QString& path)
{
    TSmbPath result;
    if (!IsSmbPath(path))
        return result;
    QString body = path;
    if (body.startsWith(QStringLiteral("smb://"), Qt::CaseInsensitive))
        body = body.mid(6);
    body.replace('\\', '/');
    const QStringList parts = body.split('/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return result;
    QString host = parts[0];
    const qsizetype colon = host.lastIndexOf(':');
    if (colon > 0 && !host.endsWith(']')) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            return result;
        result.port = port;
        host.truncate(colon);
    }
    result.host = host;
    if (parts.size() > 1)
        result.share = parts[1];
    if (parts.size() > 2)
        result.rest = parts.mid(2).join('/');
    return result;
}

QString NormaliseSmbPath(const QString& path)
{
    if (!IsSmbPath(path))
        return path;
    const TSmbPath parsed = ParseSmbPath(path);
    if (parsed.host.isEmpty())
        return path;
    QString normal = parsed.toPath();
    // A trailing separator is kept: callers join names to it.
    if ((path.endsWith('/') || path.endsWith('\\')) && !normal.endsWith('/'))
        normal += '/';
    return normal;
}

QString TSmbPath::toPath() const
{
    QString path = QStringLiteral("//") + host;
    if (port != 0)
        path += ':' + QString::number(port);
    if (!share.isEmpty())
        path += '/' + share;
    if (!rest.isEmpty())
        path += '/' + rest;
    return path;
}

QByteArray TSmbPath::toUrl() const
{
    // libsmbclient decodes %XX in every part, and "?" starts its options.
    static const QByteArray keep = "/!$&'()*+,;=:@-._~ ";
    QByteArray url = "smb://" + host.toUtf8();
    if (port != 0)
        url += ':' + QByteArray::number(port);
    if (!share.isEmpty())
        url += '/' + share.toUtf8().toPercentEncoding(keep);
    if (!rest.isEmpty())
        url += '/' + rest.toUtf8().toPercentEncoding(keep);
    return url;
}

QString TSmbPath::shareKey() const
{
    return QStringLiteral("smb:") + host.toLower() + ':' + QString::number(port) + '/' + share.toLower();
}
