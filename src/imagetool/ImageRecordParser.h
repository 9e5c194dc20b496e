#pragma once
// Turns the decompressed record stream of an image back into the volume, in order: data extents and
// the zero ranges between them go to a sink. Bytes may arrive in pieces of any size. Anything that
// does not follow the format (overlapping or out-of-range extents, unknown records, data after the
// END record) makes the parser fail.
#include "imagetool/ImageFormat.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

class TImageSink
{
public:
    virtual ~TImageSink() = default;
    // Volume bytes [offset, offset + size); false stops the parse.
    virtual bool Data(quint64 offset, const char* data, std::size_t size) = 0;
    // `count` zero bytes starting at `offset`.
    virtual bool Zeros(quint64 offset, quint64 count) = 0;
};

class TImageRecordParser
{
public:
    TImageRecordParser(const ImageFormat::TImageHeader& header, TImageSink& sink);

    // False when the content is malformed (Error() says why) or the sink refused (Error() is empty).
    bool Feed(const char* data, std::size_t size);
    // True once the END record and the digest have been read.
    bool Finished() const { return state == stDone; }
    QByteArray Digest() const { return digest; }
    QString Error() const { return error; }
    // Volume bytes delivered to the sink so far.
    quint64 Position() const { return position; }

private:
    enum TState
    {
        stRecordHeader,
        stData,
        stDigest,
        stDone
    };
    bool StartRecord();
    bool Fail(const QString& message);

    ImageFormat::TImageHeader header;
    TImageSink& sink;
    TState state = stRecordHeader;
    char pending[ImageFormat::kRecordHeaderSize];
    std::size_t pendingSize = 0;
    quint64 position = 0;
    quint64 dataRemaining = 0;
    quint64 dataBytes = 0;
    QByteArray digest;
    QString error;
};
