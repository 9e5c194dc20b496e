#include "imagetool/ImageWriter.h"

#include <QFile>

#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::size_t kOutputBufferSize = 4u << 20;
}

TImageWriter::TImageWriter() = default;

TImageWriter::~TImageWriter()
{
    Close();
}

bool TImageWriter::Open(const QString& path, quint64 size, int workers, int level)
{
    filePath = path;
    volumeSize = size;
    nextOffset = 0;
    dataBytes = 0;
    storedBytes = 0;
    fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return Fail(errno, QStringLiteral("cannot create the file"));
    created = true;
    finished = false;
    context = ZSTD_createCCtx();
    if (!context)
        return Fail(ENOMEM, QStringLiteral("cannot create the compressor"));
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level);
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    // A library built without threads refuses the worker count and compresses on this thread.
    if (workers > 0)
        ZSTD_CCtx_setParameter(context, ZSTD_c_nbWorkers, workers);
    output.resize(kOutputBufferSize);
    ImageFormat::TImageHeader header;
    header.VolumeSize = size;
    const QByteArray bytes = ImageFormat::EncodeHeader(header);
    return WriteOut(bytes.constData(), std::size_t(bytes.size()));
}

bool TImageWriter::AddExtent(quint64 offset, const char* data, std::size_t size)
{
    if (size == 0)
        return true;
    if (offset < nextOffset || offset + size > volumeSize)
        return Fail(EINVAL, QStringLiteral("extent out of order"));
    char record[ImageFormat::kRecordHeaderSize];
    ImageFormat::EncodeRecordHeader({ImageFormat::kDataTag, offset, size}, record);
    if (!Compress(record, sizeof record, false) || !Compress(data, size, false))
        return false;
    nextOffset = offset + size;
    dataBytes += size;
    return true;
}

bool TImageWriter::Finish(const QByteArray& sha256)
{
    char record[ImageFormat::kRecordHeaderSize];
    ImageFormat::EncodeRecordHeader({ImageFormat::kEndTag, volumeSize, dataBytes}, record);
    if (!Compress(record, sizeof record, false) ||
        !Compress(sha256.constData(), std::size_t(sha256.size()), true))
        return false;
    if (::fsync(fd) != 0)
        return Fail(errno, QStringLiteral("cannot flush the file"));
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0)
        return Fail(errno, QStringLiteral("cannot close the file"));
    Close();
    finished = true;
    return true;
}

void TImageWriter::Abort()
{
    Close();
    if (created && !finished)
        ::unlink(QFile::encodeName(filePath).constData());
    created = false;
}

bool TImageWriter::Compress(const char* data, std::size_t size, bool end)
{
    ZSTD_inBuffer in{data, size, 0};
    const ZSTD_EndDirective mode = end ? ZSTD_e_end : ZSTD_e_continue;
    for (;;) {
        ZSTD_outBuffer out{output.data(), output.size(), 0};
        const std::size_t remaining = ZSTD_compressStream2(context, &out, &in, mode);
        if (ZSTD_isError(remaining))
            return Fail(EIO, QStringLiteral("compression failed"),
                        QString::fromUtf8(ZSTD_getErrorName(remaining)));
        if (out.pos > 0 && !WriteOut(output.data(), out.pos))
            return false;
        // With e_continue the input is all taken once pos reaches size; with e_end the frame is
        // complete once nothing remains to flush.
        if (end ? remaining == 0 : in.pos == in.size)
            return true;
    }
}

bool TImageWriter::WriteOut(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno, QStringLiteral("cannot write the file"));
        }
        data += written;
        size -= std::size_t(written);
        storedBytes += quint64(written);
    }
    return true;
}

bool TImageWriter::Fail(int error, const QString& what, const QString& detail)
{
    lastErrno = error;
    lastError = what + QStringLiteral(": ") +
                (detail.isEmpty() ? QString::fromLocal8Bit(std::strerror(error)) : detail);
    return false;
}

void TImageWriter::Close()
{
    if (context) {
        ZSTD_freeCCtx(context);
        context = nullptr;
    }
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    std::vector<char>().swap(output);
}
