#include "engine/RecordedFileList.h"

#include <QtEndian>

#include <cstring>

namespace {
void putInt32(char* at, qint32 value)
{
    std::memcpy(at, &value, sizeof value);
}

qint32 getInt32(const char* at)
{
    qint32 value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
} // namespace

void TRecordedFileList::reset(const QByteArray& prefix)
{
    bytes = prefix;
    bytes.append(4, '\0'); // the count, filled in when the bytes are handed over
    prefixSize = prefix.size();
    starts = QList<qsizetype>();
}

void TRecordedFileList::append(QStringView path)
{
    if (bytes.isEmpty())
        reset();
    const qsizetype start = bytes.size();
    bytes.resize(start + 4 + 2 * path.size());
    putInt32(bytes.data() + start, qint32(path.size()));
    std::memcpy(bytes.data() + start + 4, path.utf16(), size_t(path.size()) * 2);
    starts.append(start);
}

void TRecordedFileList::removeLast()
{
    if (starts.isEmpty())
        return;
    bytes.truncate(starts.takeLast());
}

QStringView TRecordedFileList::at(qsizetype index) const
{
    const char* entry = bytes.constData() + starts.at(index);
    // Every field before a path is a whole number of 16-bit units, so the units are aligned for QChar.
    return QStringView(reinterpret_cast<const char16_t*>(entry + 4), getInt32(entry));
}

QStringList TRecordedFileList::toStringList() const
{
    QStringList paths;
    paths.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        paths.append(at(i).toString());
    return paths;
}

QByteArray TRecordedFileList::takeFileBytes()
{
    if (bytes.isEmpty())
        reset();
    char* data = bytes.data();
    qToLittleEndian(qint32(starts.size()), data + prefixSize);
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
        for (const qsizetype start : std::as_const(starts)) {
            const qint32 count = getInt32(data + start);
            qToLittleEndian(count, data + start);
            char16_t* units = reinterpret_cast<char16_t*>(data + start + 4);
            for (qint32 i = 0; i < count; ++i)
                units[i] = qToLittleEndian(units[i]);
        }
    }
    QByteArray taken = std::move(bytes);
    bytes = QByteArray();
    prefixSize = 0;
    starts = QList<qsizetype>();
    return taken;
}
