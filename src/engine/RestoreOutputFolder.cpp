#include "engine/RestoreOutputFolder.h"

#include <QFileInfo>
#include <QStringList>

namespace {
bool isRooted(const QString& entry)
{
    return entry.startsWith('/') || entry.startsWith(QLatin1String("\\\\")) ||
           entry.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive);
}
} // namespace

TRestoreOutputFolder::TRestoreOutputFolder(const QString& path)
    : outputPath(path), canonicalRoot(QFileInfo(path).canonicalFilePath())
{
    if (!QFileInfo(canonicalRoot).isDir())
        canonicalRoot.clear();
}

bool TRestoreOutputFolder::isInside(const QString& canonicalPath) const
{
    if (canonicalPath.isEmpty())
        return false;
    if (canonicalRoot == QLatin1String("/"))
        return true;
    return canonicalPath == canonicalRoot ||
           (canonicalPath.startsWith(canonicalRoot) && canonicalPath.at(canonicalRoot.size()) == '/');
}

std::optional<QString> TRestoreOutputFolder::relativePathOf(const QString& entry,
                                                            bool mayBeTheFolderItself) const
{
    if (canonicalRoot.isEmpty() || entry.contains(QChar(0)) || isRooted(entry))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : entry.split('/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return std::nullopt;
        if (part != QLatin1String("."))
            parts.append(part);
    }
    if (parts.isEmpty() && !mayBeTheFolderItself)
        return std::nullopt;
    // An entry such as "./\\server\share" cleans up to a path that a join takes for one of its own.
    if (isRooted(parts.join('/')))
        return std::nullopt;
    // Every component that exists is looked at: a link must resolve to a place inside the folder.
    // Components below a missing one do not exist either and are created as real folders and files.
    QString path = canonicalRoot;
    for (const QString& part : std::as_const(parts)) {
        if (!path.endsWith('/'))
            path += '/';
        path += part;
        const QFileInfo info(path);
        if (info.isSymLink()) {
            if (!isInside(info.canonicalFilePath()))
                return std::nullopt;
        } else if (!info.exists()) {
            break;
        }
    }
    return parts.join('/');
}

QString PrintableEntry(const QString& entry)
{
    QString text = entry;
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = '?';
    }
    return text;
}
