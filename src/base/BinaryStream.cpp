#include "base/BinaryStream.h"

#include <QSysInfo>
#include <QtEndian>

#include <bit>
#include <cstring>

void TBinaryWriter::writeInt32(qint32 value)
{
    const qint32 le = qToLittleEndian(value);
    buffer.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void TBinaryWriter::writeInt64(qint64 value)
{
    const qint64 le = qToLittleEndian(value);
    buffer.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void TBinaryWriter::writeByte(quint8 value)
{
    buffer.append(char(value));
}

void TBinaryWriter::writeDouble(double value)
{
    writeInt64(std::bit_cast<qint64>(value));
}

void TBinaryWriter::writeString(const QString& value)
{
    writeInt32(qint32(value.size()));
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        // QString holds UTF-16 in the machine's order: on little-endian machines the units go out whole.
        buffer.append(reinterpret_cast<const char*>(value.utf16()), value.size() * 2);
    } else {
        for (const QChar unit : value) {
            const quint16 le = qToLittleEndian(unit.unicode());
            buffer.append(reinterpret_cast<const char*>(&le), sizeof le);
        }
    }
}

void TBinaryWriter::writeStringList(const QStringList& values)
{
    writeInt32(qint32(values.size()));
    for (const QString& value : values)
        writeString(value);
}

const char* TBinaryReader::take(qsizetype count)
{
    if (count < 0 || count > remaining())
        throw TBinaryReadError("read past the end of the content");
    const char* at = buffer.constData() + pos;
    pos += count;
    return at;
}

qint32 TBinaryReader::readInt32()
{
    return qFromLittleEndian<qint32>(take(4));
}

qint64 TBinaryReader::readInt64()
{
    return qFromLittleEndian<qint64>(take(8));
}

quint8 TBinaryReader::readByte()
{
    return quint8(*take(1));
}

double TBinaryReader::readDouble()
{
    return std::bit_cast<double>(readInt64());
}

QString TBinaryReader::readString()
{
    const qint32 count = readInt32();
    if (count <= 0)
        return {};
    // Checked against what is left before anything is allocated: a hostile count cannot exhaust memory.
    const char* units = take(qsizetype(count) * 2);
    QString value(count, Qt::Uninitialized);
    QChar* out = value.data();
    for (qint32 i = 0; i < count; ++i)
        out[i] = QChar(qFromLittleEndian<quint16>(units + 2 * i));
    return value;
}

QStringList TBinaryReader::readStringList()
{
    const qint32 count = readInt32();
    QStringList values;
    if (count <= 0)
        return values;
    // Each string takes at least four bytes: a count beyond that is a damaged file.
    if (qsizetype(count) > remaining() / 4)
        throw TBinaryReadError("string list longer than the content");
    values.reserve(count);
    for (qint32 i = 0; i < count; ++i)
        values.append(readString());
    return values;
}
