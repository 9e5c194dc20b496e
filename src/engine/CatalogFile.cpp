#include "engine/CatalogFile.h"

#include "platform/AskingUser.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
const QByteArray kMark("\xEF\xBB\xBF");
}

QByteArray EncodeCatalog(const QStringList& entries)
{
    QByteArray content = kMark;
    for (const QString& entry : entries)
        AppendCatalogEntry(content, entry);
    return content;
}

void AppendCatalogEntry(QByteArray& content, QStringView entry)
{
    content += entry.toUtf8();
    content += "\r\n";
}

QStringList DecodeCatalog(const QByteArray& content)
{
    QByteArrayView rest(content);
    if (rest.startsWith(kMark))
        rest = rest.sliced(kMark.size());
    // Each entry is decoded on its own, keeping a U+FEFF at its start: that is part of a name, unlike
    // the file's mark (QString::fromUtf8 would drop it).
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QStringList entries;
    qsizetype start = 0;
    const qsizetype size = rest.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = rest[i];
        if (c != '\r' && c != '\n')
            continue;
        entries.append(decoder.decode(rest.sliced(start, i - start)));
        if (c == '\r' && i + 1 < size && rest[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        entries.append(decoder.decode(rest.sliced(start)));
    return entries;
}

bool WriteCatalogFile(const QString& path, const QStringList& entries)
{
    return WriteCatalogContent(path, EncodeCatalog(entries));
}

bool WriteCatalogContent(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(content);
    if (!file.commit())
        return false;
    GiveToAskingUser(path);
    return true;
}

bool ReadCatalogFile(const QString& path, QStringList& entries)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    entries = DecodeCatalog(file.readAll());
    return true;
}
