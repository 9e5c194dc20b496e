#include "imagetool/ImageRecordParser.h"

#include <algorithm>
#include <cstring>

TImageRecordParser::TImageRecordParser(const ImageFormat::TImageHeader& header, TImageSink& sink)
    : header(header), sink(sink)
{
}

bool TImageRecordParser::Feed(const char* data, std::size_t size)
{
    while (size > 0) {
        switch (state) {
        case stRecordHeader: {
            const std::size_t take = std::min(size, ImageFormat::kRecordHeaderSize - pendingSize);
            std::memcpy(pending + pendingSize, data, take);
            pendingSize += take;
            data += take;
            size -= take;
            if (pendingSize == ImageFormat::kRecordHeaderSize && !StartRecord())
                return false;
            break;
        }
        case stData: {
            const std::size_t take = std::size_t(std::min<quint64>(size, dataRemaining));
            if (!sink.Data(position, data, take))
                return false;
            position += take;
            dataRemaining -= take;
            data += take;
            size -= take;
            if (dataRemaining == 0)
                state = stRecordHeader;
            break;
        }
        case stDigest: {
            const std::size_t take = std::min(size, ImageFormat::kDigestSize - std::size_t(digest.size()));
            digest.append(data, qsizetype(take));
            data += take;
            size -= take;
            if (std::size_t(digest.size()) == ImageFormat::kDigestSize)
                state = stDone;
            break;
        }
        case stDone:
            return Fail(QStringLiteral("unexpected data after the end of the image"));
        }
    }
    return true;
}

bool TImageRecordParser::StartRecord()
{
    pendingSize = 0;
    const ImageFormat::TRecordHeader record = ImageFormat::DecodeRecordHeader(pending);
    if (record.Tag == ImageFormat::kDataTag) {
        const quint64 offset = record.First;
        const quint64 length = record.Second;
        if (length == 0 || offset < position || offset > header.VolumeSize ||
            length > header.VolumeSize - offset)
            return Fail(QStringLiteral("a data record lies outside the volume or overlaps another"));
        if (offset > position && !sink.Zeros(position, offset - position))
            return false;
        position = offset;
        dataRemaining = length;
        dataBytes += length;
        state = stData;
        return true;
    }
    if (record.Tag == ImageFormat::kEndTag) {
        if (record.First != header.VolumeSize || record.Second != dataBytes)
            return Fail(QStringLiteral("the end record does not match the image"));
        if (header.VolumeSize > position && !sink.Zeros(position, header.VolumeSize - position))
            return false;
        position = header.VolumeSize;
        state = stDigest;
        return true;
    }
    return Fail(QStringLiteral("unknown record"));
}

bool TImageRecordParser::Fail(const QString& message)
{
    error = message;
    return false;
}
