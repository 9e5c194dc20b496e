// An image file's header and its record stream (as the reader hands it over after decompression),
// read as recovery and the tool's checks read them: the volume comes out in order, without gaps or
// overlaps and never beyond its size, it is complete exactly when the parser says so, and the result
// is the same whatever pieces the decompressor hands over.
#include "imagetool/ImageFormat.h"
#include "imagetool/ImageRecordParser.h"
#include "support/FuzzSupport.h"

#include <algorithm>

namespace {
class TCheckingSink : public TImageSink
{
public:
    explicit TCheckingSink(quint64 volumeSize) : volumeSize(volumeSize) {}

    bool Data(quint64 offset, const char* data, std::size_t size) override
    {
        take(offset, size);
        for (std::size_t i = 0; i < size; ++i)
            hash = (hash ^ quint8(data[i])) * 1099511628211u;
        dataBytes += size;
        return true;
    }
    bool Zeros(quint64 offset, quint64 count) override
    {
        take(offset, count);
        return true;
    }

    quint64 end = 0;
    quint64 dataBytes = 0;
    quint64 hash = 14695981039346656037u;

private:
    void take(quint64 offset, quint64 count)
    {
        Fuzz::Check(offset == end, "the volume comes out with a gap or an overlap");
        Fuzz::Check(count > 0 && count <= volumeSize - end, "the volume comes out beyond its size");
        end += count;
    }

    quint64 volumeSize;
};

struct TOutcome
{
    bool fed = true;
    bool finished = false;
    QString error;
    QByteArray digest;
    quint64 end = 0;
    quint64 dataBytes = 0;
    quint64 hash = 0;

    bool operator==(const TOutcome&) const = default;
};

TOutcome parse(const ImageFormat::TImageHeader& header, const char* data, std::size_t size, std::size_t piece)
{
    TCheckingSink sink(header.VolumeSize);
    TImageRecordParser parser(header, sink);
    TOutcome outcome;
    for (std::size_t at = 0; at < size && outcome.fed; at += piece)
        outcome.fed = parser.Feed(data + at, std::min(piece, size - at));
    outcome.finished = parser.Finished();
    outcome.error = parser.Error();
    outcome.digest = parser.Digest();
    outcome.end = sink.end;
    outcome.dataBytes = sink.dataBytes;
    outcome.hash = sink.hash;
    Fuzz::Check(parser.Position() == sink.end, "the parser's position differs from what it delivered");
    return outcome;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < ImageFormat::kHeaderSize)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    ImageFormat::TImageHeader header;
    if (!ImageFormat::DecodeHeader(bytes, header))
        return 0;
    const char* records = bytes + ImageFormat::kHeaderSize;
    const std::size_t length = size - ImageFormat::kHeaderSize;
    const TOutcome whole = parse(header, records, length, std::max<std::size_t>(length, 1));
    if (whole.finished)
        Fuzz::Check(whole.end == header.VolumeSize &&
                        whole.digest.size() == qsizetype(ImageFormat::kDigestSize),
                    "a finished image does not hold the whole volume and its digest");
    // The header's unused bytes choose the pieces.
    const std::size_t piece = 1 + quint8(bytes[ImageFormat::kHeaderSize - 1]) % 61;
    Fuzz::Check(parse(header, records, length, piece) == whole, "the image reads differently in pieces");
    return 0;
}
