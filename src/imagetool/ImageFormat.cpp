#include "imagetool/ImageFormat.h"

#include <QtEndian>

#include <cstring>

namespace ImageFormat {

namespace {
constexpr char kMagic[8] = {'Z', 'O', 'R', 'V', 'A', 'N', 'I', 'M'};
}

QByteArray EncodeHeader(const TImageHeader& header)
{
    QByteArray bytes(kHeaderSize, '\0');
    char* p = bytes.data();
    qToLittleEndian<quint32>(kSkippableFrameMagic, p);
    qToLittleEndian<quint32>(kHeaderPayloadSize, p + 4);
    std::memcpy(p + 8, kMagic, sizeof kMagic);
    qToLittleEndian<quint32>(header.FormatVersion, p + 16);
    qToLittleEndian<quint32>(header.BlockSize, p + 20);
    qToLittleEndian<quint64>(header.VolumeSize, p + 24);
    return bytes;
}

bool DecodeHeader(const char* bytes, TImageHeader& header)
{
    if (qFromLittleEndian<quint32>(bytes) != kSkippableFrameMagic ||
        qFromLittleEndian<quint32>(bytes + 4) != kHeaderPayloadSize ||
        std::memcmp(bytes + 8, kMagic, sizeof kMagic) != 0)
        return false;
    header.FormatVersion = qFromLittleEndian<quint32>(bytes + 16);
    header.BlockSize = qFromLittleEndian<quint32>(bytes + 20);
    header.VolumeSize = qFromLittleEndian<quint64>(bytes + 24);
    return header.FormatVersion == kFormatVersion && header.BlockSize > 0 &&
           (header.BlockSize & (header.BlockSize - 1)) == 0;
}

void EncodeRecordHeader(const TRecordHeader& record, char* out)
{
    qToLittleEndian<quint32>(record.Tag, out);
    qToLittleEndian<quint32>(0, out + 4);
    qToLittleEndian<quint64>(record.First, out + 8);
    qToLittleEndian<quint64>(record.Second, out + 16);
}

TRecordHeader DecodeRecordHeader(const char* bytes)
{
    TRecordHeader record;
    record.Tag = qFromLittleEndian<quint32>(bytes);
    record.First = qFromLittleEndian<quint64>(bytes + 8);
    record.Second = qFromLittleEndian<quint64>(bytes + 16);
    return record;
}

bool IsZeroBlock(const char* data, std::size_t size)
{
    std::size_t i = 0;
    // 64 bytes per step: the compiler turns the OR of eight words into vector code, and most data
    // blocks are rejected by their first step.
    for (; i + 64 <= size; i += 64) {
        quint64 w[8];
        std::memcpy(w, data + i, sizeof w);
        if ((w[0] | w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) != 0)
            return false;
    }
    for (; i < size; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

} // namespace ImageFormat
