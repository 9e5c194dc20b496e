#include "engine/ChecksumFile.h"

#include "engine/CatalogFile.h"

#include <QFile>

namespace {
const QString kKind = QStringLiteral("xxh3-128 of 8 MiB chunk digests");
}

QByteArray EncodeChecksumsHeader()
{
    QByteArray content = EncodeCatalog({});
    AppendCatalogEntry(content, kKind);
    return content;
}

void AppendChecksumEntry(QByteArray& content, QStringView path, qint64 size, const TChecksumDigest& digest)
{
    AppendCatalogEntry(content, QString::number(size) + '\t' + TContentChecksum::toHex(digest) + '\t' +
                                    path.toString());
}

QByteArray EncodeChecksums(const TChecksumTable& table)
{
    // By path: the same entries always give the same bytes, whatever order they came in.
    QStringList paths = table.entries.keys();
    paths.sort();
    QByteArray content = EncodeChecksumsHeader();
    for (const QString& path : std::as_const(paths)) {
        const TChecksumEntry& entry = *table.find(path);
        AppendChecksumEntry(content, path, entry.size, entry.digest);
    }
    return content;
}

bool DecodeChecksums(const QByteArray& content, TChecksumTable& out)
{
    out = TChecksumTable();
    const QStringList lines = DecodeCatalog(content);
    if (lines.isEmpty() || lines.front() != kKind)
        return false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const qsizetype first = line.indexOf('\t');
        const qsizetype second = first < 0 ? -1 : line.indexOf('\t', first + 1);
        bool sizeOk = false;
        TChecksumEntry entry;
        if (second > first)
            entry.size = QStringView(line).first(first).toLongLong(&sizeOk);
        if (!sizeOk || entry.size < 0 || second == line.size() - 1 ||
            !TContentChecksum::fromHex(QStringView(line).sliced(first + 1, second - first - 1),
                                       entry.digest)) {
            if (!line.isEmpty())
                ++out.malformedLines;
            continue;
        }
        out.entries.insert(line.sliced(second + 1), entry);
    }
    return true;
}

TChecksumFileState ReadChecksumFile(const QString& path, TChecksumTable& out)
{
    out = TChecksumTable();
    QFile file(path);
    if (!file.exists())
        return TChecksumFileState::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return TChecksumFileState::Unreadable;
    return DecodeChecksums(file.readAll(), out) ? TChecksumFileState::Read : TChecksumFileState::Unreadable;
}
