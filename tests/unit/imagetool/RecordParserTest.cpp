#include "imagetool/ImageRecordParser.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Records what the parser delivers, merging adjacent pieces of one data record.
class TRecordingSink : public TImageSink
{
public:
    bool Data(quint64 offset, const char* data, std::size_t size) override
    {
        if (!events.isEmpty() && events.last().startsWith("data") && lastEnd == offset)
            events.last().append(QString::fromLatin1(data, qsizetype(size)));
        else
            events.append(QStringLiteral("data %1 ").arg(offset) +
                          QString::fromLatin1(data, qsizetype(size)));
        lastEnd = offset + size;
        return true;
    }
    bool Zeros(quint64 offset, quint64 count) override
    {
        events.append(QStringLiteral("zeros %1 %2").arg(offset).arg(count));
        lastEnd = offset + count;
        return true;
    }
    QStringList events;
    quint64 lastEnd = 0;
};

QByteArray record(quint32 tag, quint64 first, quint64 second, const QByteArray& payload = {})
{
    QByteArray bytes(ImageFormat::kRecordHeaderSize, '\0');
    ImageFormat::EncodeRecordHeader({tag, first, second}, bytes.data());
    return bytes + payload;
}

ImageFormat::TImageHeader header(quint64 size)
{
    ImageFormat::TImageHeader value;
    value.VolumeSize = size;
    return value;
}

const QByteArray kDigest(32, '\x5a');

TEST(ImageRecordParser, SamePiecesWhateverTheInputBoundaries)
{
    const QByteArray stream = record(ImageFormat::kDataTag, 0, 3, "abc") +
                              record(ImageFormat::kDataTag, 8192, 2, "xy") +
                              record(ImageFormat::kEndTag, 10000, 5) + kDigest;
    const QStringList expected = {"data 0 abc", "zeros 3 8189", "data 8192 xy", "zeros 8194 1806"};
    for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(25), stream.size()}) {
        TRecordingSink sink;
        TImageRecordParser parser(header(10000), sink);
        for (qsizetype at = 0; at < stream.size(); at += piece)
            ASSERT_TRUE(
                parser.Feed(stream.constData() + at, std::size_t(std::min(piece, stream.size() - at))));
        EXPECT_TRUE(parser.Finished());
        EXPECT_EQ(parser.Digest(), kDigest);
        EXPECT_EQ(sink.events, expected) << "pieces of " << piece;
    }
}

TEST(ImageRecordParser, RejectsStreamsThatBreakTheFormat)
{
    const struct
    {
        const char* Why;
        QByteArray Stream;
    } cases[] = {
        {"overlap", record(ImageFormat::kDataTag, 0, 10, QByteArray(10, 'a')) +
                        record(ImageFormat::kDataTag, 5, 1, "b")},
        {"beyond the end", record(ImageFormat::kDataTag, 9999, 2, "bb")},
        {"huge length", record(ImageFormat::kDataTag, 1, ~quint64(0), "b")},
        {"empty extent", record(ImageFormat::kDataTag, 0, 0)},
        {"unknown record", record(0x12345678, 0, 0)},
        {"end with wrong size", record(ImageFormat::kEndTag, 9000, 0) + kDigest},
        {"end with wrong data count",
         record(ImageFormat::kDataTag, 0, 1, "a") + record(ImageFormat::kEndTag, 10000, 7)},
        {"data after the end", record(ImageFormat::kEndTag, 10000, 0) + kDigest + "x"},
    };
    for (const auto& test : cases) {
        TRecordingSink sink;
        TImageRecordParser parser(header(10000), sink);
        EXPECT_FALSE(parser.Feed(test.Stream.constData(), std::size_t(test.Stream.size()))) << test.Why;
        EXPECT_FALSE(parser.Error().isEmpty()) << test.Why;
    }
}

TEST(ImageFormat, HeaderRoundTripAndZeroBlocks)
{
    ImageFormat::TImageHeader written;
    written.VolumeSize = 0x123456789abcULL;
    const QByteArray bytes = ImageFormat::EncodeHeader(written);
    ImageFormat::TImageHeader read;
    ASSERT_TRUE(ImageFormat::DecodeHeader(bytes.constData(), read));
    EXPECT_EQ(read.VolumeSize, written.VolumeSize);
    QByteArray wrongMagic = bytes;
    wrongMagic[9] = 'X';
    EXPECT_FALSE(ImageFormat::DecodeHeader(wrongMagic.constData(), read));

    QByteArray block(4096, '\0');
    EXPECT_TRUE(ImageFormat::IsZeroBlock(block.constData(), 4096));
    EXPECT_TRUE(ImageFormat::IsZeroBlock(block.constData(), 0));
    for (const qsizetype at : {0, 63, 64, 4095}) {
        block[at] = 1;
        EXPECT_FALSE(ImageFormat::IsZeroBlock(block.constData(), 4096)) << at;
        block[at] = 0;
    }
    block[4000] = 1;
    EXPECT_FALSE(ImageFormat::IsZeroBlock(block.constData(), 4001)); // a short tail block
    EXPECT_TRUE(ImageFormat::IsZeroBlock(block.constData(), 4000));
}

} // namespace
