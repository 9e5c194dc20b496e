#pragma once
// The checksums file beside a backup's catalogs (_checksums.obl): size and content checksum of every
// file the run copied, by the same relative path as in its copied-files catalog. Same text form as the
// catalogs (UTF-8 with a byte order mark, CR LF): a first line naming the checksum kind, then one line
// per file, "size<TAB>checksum<TAB>path" (the path last, so a tab in a name needs no escaping).
// Backups without this file are valid, only unverifiable.
#include "base/ContentChecksum.h"

#include <QByteArray>
#include <QHash>
#include <QString>

inline const QString kChecksumFileName = QStringLiteral("_checksums.obl");

struct TChecksumEntry
{
    qint64 size = 0;
    TChecksumDigest digest{};
    bool operator==(const TChecksumEntry&) const = default;
};

// Relative path to its entry: looked up once per file by verification and restore.
struct TChecksumTable
{
    QHash<QString, TChecksumEntry> entries;
    qint64 malformedLines = 0; // lines that were skipped
    const TChecksumEntry* find(const QString& path) const
    {
        const auto it = entries.constFind(path);
        return it == entries.cend() ? nullptr : &*it;
    }
};

// The content before the first entry.
QByteArray EncodeChecksumsHeader();
void AppendChecksumEntry(QByteArray& content, QStringView path, qint64 size, const TChecksumDigest& digest);
// The entries sorted by path.
QByteArray EncodeChecksums(const TChecksumTable& table);
// False when the content is not a checksums file of a kind this program knows (then `out` is empty).
// Damaged lines are skipped and counted; a path listed twice keeps its last line.
bool DecodeChecksums(const QByteArray& content, TChecksumTable& out);

enum class TChecksumFileState
{
    Missing, // no file: an older backup, or one whose file was removed
    Read,
    Unreadable, // there, but it cannot be read or is not of a known kind
};
TChecksumFileState ReadChecksumFile(const QString& path, TChecksumTable& out);
