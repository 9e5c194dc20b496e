#pragma once
// Little-endian reading and writing of the primitive fields of the job and options files.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

// Raised when a reader runs past the end of its content.
class TBinaryReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TBinaryWriter
{
public:
    void writeInt32(qint32 value);
    void writeInt64(qint64 value);
    void writeByte(quint8 value);
    void writeBool(bool value) { writeByte(value ? 1 : 0); }
    void writeDouble(double value);
    // Int32 count of UTF-16 units, then the units little-endian; nothing more for an empty string.
    void writeString(const QString& value);
    void writeStringList(const QStringList& values);

    const QByteArray& data() const { return buffer; }

private:
    QByteArray buffer;
};

class TBinaryReader
{
public:
    explicit TBinaryReader(const QByteArray& data) : buffer(data) {}

    qint32 readInt32();
    qint64 readInt64();
    quint8 readByte();
    bool readBool() { return readByte() != 0; }
    double readDouble();
    // A count of 0 or less is the empty string.
    QString readString();
    QStringList readStringList();

    qsizetype position() const { return pos; }
    qsizetype remaining() const { return buffer.size() - pos; }

private:
    const char* take(qsizetype count);

    QByteArray buffer;
    qsizetype pos = 0;
};
