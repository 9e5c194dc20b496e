#include "imagetool/ImageReader.h"

#include "platform/FileSystem.h"
#include "platform/FileSystemLocal.h"

#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {
constexpr std::size_t kInputBufferSize = 1u << 20;
constexpr std::size_t kOutputBufferSize = 4u << 20;

struct TDStreamFree
{
    void operator()(ZSTD_DStream* stream) const { ZSTD_freeDStream(stream); }
};

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// 0 or errno.
int readFully(TFileHandle& file, char* buffer, std::size_t size, std::size_t& got)
{
    got = 0;
    while (got < size) {
        const qint64 n = file.read(buffer + got, qint64(size - got));
        if (n < 0)
            return int(-n);
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    return 0;
}
} // namespace

TImageReader::TImageReader(TFileSystem* fileSystem)
    : fileSystem(fileSystem ? fileSystem : &TLocalFileSystem::instance())
{
}

TImageReader::~TImageReader() = default;

// Opens the image and reads its header; the stream of records follows.
bool TImageReader::OpenFile()
{
    file.reset();
    if (const int error = fileSystem->openRead(path, file, TOpenOptions()))
        return Fail(QStringLiteral("cannot open the image: ") + errorText(error));
    if (file->descriptor() >= 0)
        ::posix_fadvise(file->descriptor(), 0, 0, POSIX_FADV_SEQUENTIAL);
    char bytes[ImageFormat::kHeaderSize];
    std::size_t got = 0;
    if (const int error = readFully(*file, bytes, sizeof bytes, got))
        return Fail(QStringLiteral("cannot read the image: ") + errorText(error));
    if (got != sizeof bytes || !ImageFormat::DecodeHeader(bytes, header))
        return Fail(QStringLiteral("the file is not an image of this tool"));
    return true;
}

bool TImageReader::Open(const QString& imagePath)
{
    path = imagePath;
    return OpenFile();
}

bool TImageReader::ReadAll(TImageSink& sink, const std::function<bool()>& stopRequested)
{
    stopped = false;
    digest.clear();
    if (!file)
        return Fail(QStringLiteral("the image is not open"));
    // Each pass reads the file from its start: a file on a share cannot be sought.
    if (!OpenFile())
        return false;
    std::unique_ptr<ZSTD_DStream, TDStreamFree> stream(ZSTD_createDStream());
    if (!stream)
        return Fail(QStringLiteral("cannot create the decompressor"));
    ZSTD_initDStream(stream.get());
    TImageRecordParser parser(header, sink);
    std::vector<char> input(kInputBufferSize);
    std::vector<char> output(kOutputBufferSize);
    std::size_t frameRemaining = 1; // 0 once a frame has ended exactly at the last byte read
    for (;;) {
        if (stopRequested && stopRequested()) {
            stopped = true;
            return false;
        }
        std::size_t got = 0;
        if (const int error = readFully(*file, input.data(), input.size(), got))
            return Fail(QStringLiteral("cannot read the image: ") + errorText(error));
        if (got == 0)
            break;
        ZSTD_inBuffer in{input.data(), got, 0};
        while (in.pos < in.size) {
            ZSTD_outBuffer out{output.data(), output.size(), 0};
            frameRemaining = ZSTD_decompressStream(stream.get(), &out, &in);
            if (ZSTD_isError(frameRemaining))
                return Fail(QStringLiteral("the image is damaged (") +
                            QString::fromUtf8(ZSTD_getErrorName(frameRemaining)) + ')');
            if (out.pos > 0 && !parser.Feed(output.data(), out.pos))
                return parser.Error().isEmpty()
                           ? false
                           : Fail(QStringLiteral("the image is damaged: ") + parser.Error());
        }
        // Drain what the decompressor still holds for the last input.
        while (frameRemaining != 0) {
            ZSTD_outBuffer out{output.data(), output.size(), 0};
            ZSTD_inBuffer none{nullptr, 0, 0};
            frameRemaining = ZSTD_decompressStream(stream.get(), &out, &none);
            if (ZSTD_isError(frameRemaining))
                return Fail(QStringLiteral("the image is damaged (") +
                            QString::fromUtf8(ZSTD_getErrorName(frameRemaining)) + ')');
            if (out.pos == 0)
                break;
            if (!parser.Feed(output.data(), out.pos))
                return parser.Error().isEmpty()
                           ? false
                           : Fail(QStringLiteral("the image is damaged: ") + parser.Error());
        }
    }
    if (frameRemaining != 0 || !parser.Finished())
        return Fail(QStringLiteral("the image is incomplete"));
    digest = parser.Digest();
    return true;
}

bool TImageReader::Fail(const QString& message)
{
    lastError = message;
    return false;
}
