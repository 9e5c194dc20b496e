#include "storage/StorageHelpers.h"

#include "jobs/JobNames.h"
#include "platform/FileSystem.h"
#include "platform/SmbPath.h"
#include "storage/StorageAccess.h"

#include <algorithm>

QString ExtendedLengthPath(const QString& path, bool)
{
    return path;
}

QString WindowsExtendedLengthPath(const QString& path, bool isDirectory)
{
    const qsizetype limit = isDirectory ? 247 : 260;
    if (path.size() < limit)
        return path;
    QString result = path;
    if (result.startsWith(QStringLiteral("\\\\")))
        return result.replace(QStringLiteral("\\\\"), QStringLiteral("\\\\?\\UNC\\"));
    return QStringLiteral("\\\\?\\") + result;
}

qint64 FileSizeOrMinusOne(TFileSystem& fileSystem, const QString& path)
{
    TFileStat st;
    if (fileSystem.stat(path, st) != 0)
        return -1;
    return st.isFolder ? 0 : st.size;
}

qint64 FileSizeOrMinusOne(const QString& path)
{
    TStorageAccess access;
    int error = 0;
    TFileSystem* fileSystem = access.fileSystemFor(path, error);
    return fileSystem ? FileSizeOrMinusOne(*fileSystem, path) : -1;
}

QString FormatFileTimeStamp(TDateTime value)
{
    return QDateTimeFromDateTime(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss:zzz"));
}

QString CombineJobPath(const QString& base, const QString& jobName, const QString& fileName)
{
    const QString folder = JobNamedPath(base, jobName);
    if (folder.isEmpty() || fileName.isEmpty() || fileName == QLatin1String(".") ||
        fileName == QLatin1String("..") || fileName.contains('/'))
        return QString();
    return folder + '/' + fileName;
}

qint32 CopyProgressPercent(qint64 transferred, qint64 total)
{
    if (total <= 0)
        return 0;
    const qint64 scaled = transferred * 100;
    qint64 quotient = scaled / total;
    const qint64 twiceRemainder = (scaled % total) * 2;
    if (twiceRemainder > total || (twiceRemainder == total && quotient % 2 != 0))
        ++quotient;
    return qint32(std::min<qint64>(quotient, 100));
}

bool IsInternalFile(const QString& path)
{
    return path.endsWith(QStringLiteral(".kxj")) || path.endsWith(QStringLiteral(".obl"));
}
