#include "engine/ChecksumFile.h"

#include "engine/CatalogFile.h"
#include "platform/AskingUser.h"

#include <QFile>

namespace {
const QString kKind = QStringLiteral("xxh3-128 of 8 MiB chunk digests");
const QByteArray kMark("\xEF\xBB\xBF");
constexpr qsizetype kWriteBuffer = 1 << 20;

// One entry line: false for a damaged one.
bool ParseChecksumLine(const QString& line, QString& path, TChecksumEntry& entry)
{
    const qsizetype first = line.indexOf('\t');
    const qsizetype second = first < 0 ? -1 : line.indexOf('\t', first + 1);
    bool sizeOk = false;
    entry = TChecksumEntry();
    if (second > first)
        entry.size = QStringView(line).first(first).toLongLong(&sizeOk);
    if (!sizeOk || entry.size < 0 || second == line.size() - 1 ||
        !TContentChecksum::fromHex(QStringView(line).sliced(first + 1, second - first - 1), entry.digest))
        return false;
    path = line.sliced(second + 1);
    return true;
}
} // namespace

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
    QString path;
    TChecksumEntry entry;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (ParseChecksumLine(lines[i], path, entry))
            out.entries.insert(path, entry);
        else if (!lines[i].isEmpty())
            ++out.malformedLines;
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

TChecksumFileReader::TChecksumFileReader(const QString& path, qsizetype chunkSize)
    : file(path), chunkSize(chunkSize),
      decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom)
{
    if (!file.exists())
        return;
    fileState = TChecksumFileState::Unreadable;
    if (!file.open(QIODevice::ReadOnly))
        return;
    chunk = file.read(chunkSize);
    if (chunk.startsWith(kMark))
        position = kMark.size();
    QString kind;
    if (nextLine(kind) && kind == kKind)
        fileState = TChecksumFileState::Read;
}

bool TChecksumFileReader::next(QString& path, TChecksumEntry& entry)
{
    if (fileState != TChecksumFileState::Read)
        return false;
    QString line;
    while (nextLine(line)) {
        if (ParseChecksumLine(line, path, entry))
            return true;
        if (!line.isEmpty())
            ++malformed;
    }
    return false;
}

bool TChecksumFileReader::nextLine(QString& line)
{
    // Lines end with CR LF, LF or CR, as in the catalogs; each is decoded on its own.
    for (;;) {
        if (skipLineFeed && position < chunk.size()) {
            if (chunk[position] == '\n')
                ++position;
            skipLineFeed = false;
        }
        qsizetype end = position;
        while (end < chunk.size() && chunk[end] != '\r' && chunk[end] != '\n')
            ++end;
        if (end < chunk.size()) {
            line = decoder.decode(QByteArrayView(chunk).sliced(position, end - position));
            position = end + 1;
            if (chunk[end] == '\r')
                skipLineFeed = true;
            return true;
        }
        if (fileEnded) {
            if (position >= chunk.size())
                return false;
            line = decoder.decode(QByteArrayView(chunk).sliced(position));
            position = chunk.size();
            return true;
        }
        // The rest of the chunk is the start of a line: keep it and read on.
        chunk.remove(0, position);
        position = 0;
        const QByteArray more = file.read(chunkSize);
        if (more.isEmpty()) {
            fileEnded = true;
            if (file.error() != QFileDevice::NoError) {
                fileState = TChecksumFileState::Unreadable;
                return false;
            }
        }
        chunk += more;
    }
}

TChecksumFileWriter::TChecksumFileWriter(const QString& path) : file(path)
{
    if (file.open(QIODevice::WriteOnly))
        buffer = EncodeChecksumsHeader();
    buffer.reserve(kWriteBuffer + 4096);
}

void TChecksumFileWriter::append(QStringView path, qint64 size, const TChecksumDigest& digest)
{
    AppendChecksumEntry(buffer, path, size, digest);
    if (buffer.size() >= kWriteBuffer)
        flushBuffer();
}

void TChecksumFileWriter::flushBuffer()
{
    if (file.isOpen())
        file.write(buffer);
    buffer.clear();
}

bool TChecksumFileWriter::commit()
{
    flushBuffer();
    if (!file.isOpen() || !file.commit())
        return false;
    GiveToAskingUser(file.fileName());
    return true;
}
