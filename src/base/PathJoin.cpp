#include "base/PathJoin.h"

namespace {
bool isRooted(const QString& path)
{
    return path.startsWith('/') || path.startsWith(QLatin1String("\\\\")) ||
           path.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive);
}

bool isBackslashNetworkPath(const QString& path)
{
    return path.startsWith(QLatin1String("\\\\"));
}
} // namespace

QString JoinPath(const QString& first, const QString& second)
{
    if (second.isEmpty())
        return first;
    if (first.isEmpty() || isRooted(second))
        return second;
    if (first.endsWith('/') || (isBackslashNetworkPath(first) && first.endsWith('\\')))
        return first + second;
    return first + '/' + second;
}
