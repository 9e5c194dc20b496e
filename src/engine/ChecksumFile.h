#pragma once
// The checksums file beside a backup's catalogs (_checksums.obl): size and content checksum of every
// file the run copied, by the same relative path as in its copied-files catalog. Same text form as the
// catalogs (UTF-8 with a byte order mark, CR LF): a first line naming the checksum kind, then one line
// per file, "size<TAB>checksum<TAB>path" (the path last, so a tab in a name needs no escaping).
// Backups without this file are valid, only unverifiable.
#include "base/ContentChecksum.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QString>
#include <QStringDecoder>

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

// Reads a checksums file entry by entry in the file's order, holding one chunk of it at a time (a
// mirror's file lists every file the mirror holds).
class TChecksumFileReader
{
public:
    explicit TChecksumFileReader(const QString& path, qsizetype chunkSize = 1 << 20);
    TChecksumFileState state() const { return fileState; }
    // The next well-formed entry; false at the end. Damaged lines are skipped and counted; a read error
    // ends the entries and turns the state to Unreadable.
    bool next(QString& path, TChecksumEntry& entry);
    qint64 malformedLines() const { return malformed; }

private:
    bool nextLine(QString& line);

    QFile file;
    QByteArray chunk;
    qsizetype chunkSize;
    qsizetype position = 0;
    bool fileEnded = false;
    bool skipLineFeed = false; // the chunk ended between a CR and its LF
    QStringDecoder decoder;
    TChecksumFileState fileState = TChecksumFileState::Missing;
    qint64 malformed = 0;
};

// Writes a checksums file entry by entry through a buffer; the file is replaced only by commit().
class TChecksumFileWriter
{
public:
    explicit TChecksumFileWriter(const QString& path);
    void append(QStringView path, qint64 size, const TChecksumDigest& digest);
    // False when the file could not be written; without a commit the earlier file stays.
    bool commit();

private:
    void flushBuffer();

    QSaveFile file;
    QByteArray buffer;
};
