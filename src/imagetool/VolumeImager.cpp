#include "imagetool/VolumeImager.h"

#include "imagetool/ImageFormat.h"
#include "imagetool/ImageWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// Reads exactly `size` bytes at `offset`; a short volume counts as a read error.
bool readAt(int fd, char* buffer, std::size_t size, quint64 offset, int& error)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0) {
            error = EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// For a regular file: true when [offset, offset + size) lies wholly in a hole.
bool isHole(int fd, quint64 offset, std::size_t size)
{
    const off_t data = ::lseek(fd, off_t(offset), SEEK_DATA);
    if (data < 0)
        return errno == ENXIO; // no data after offset
    return quint64(data) >= offset + size;
}

} // namespace

TVolumeImager::TVolumeImager(int sourceFd, quint64 size, bool isRegularFile)
    : sourceFd(sourceFd), size(size), isRegularFile(isRegularFile)
{
}

TImagingResult TVolumeImager::Run(const QString& imagePath)
{
    TImagingResult result;
    result.Size = size;
    TImageWriter writer;
    auto writeFailed = [&]() {
        result.Status = TImagingStatus::isWriteError;
        result.Errno = writer.LastErrno();
        result.Message = writer.LastError();
        result.StoredBytes = writer.StoredBytes();
        writer.Abort();
        return result;
    };
    if (!writer.Open(imagePath, size, CompressionWorkers, 3, TargetFileSystem))
        return writeFailed();

    constexpr std::size_t chunk = ImageFormat::kChunkSize;
    ::posix_fadvise(sourceFd, 0, 0, POSIX_FADV_SEQUENTIAL);
    quint64 offset = 0;
    while (offset < size) {
        if (StopRequested && StopRequested()) {
            writer.Abort();
            result.Status = TImagingStatus::isStopped;
            return result;
        }
        const std::size_t length = std::size_t(std::min<quint64>(chunk, size - offset));
        if (isRegularFile && isHole(sourceFd, offset, length)) {
            if (!writer.SubmitHole(offset, length))
                return writeFailed();
        } else {
            char* buffer = writer.NextBuffer();
            if (!buffer)
                return writeFailed();
            int error = 0;
            if (!readAt(sourceFd, buffer, length, offset, error)) {
                writer.Abort();
                result.Status = TImagingStatus::isReadError;
                result.Errno = error;
                result.ErrorOffset = offset;
                result.Message = QString::fromLocal8Bit(std::strerror(error));
                return result;
            }
            if (!writer.Submit(offset, length))
                return writeFailed();
        }
        offset += length;
        if (OnProgress)
            OnProgress(offset, size);
    }
    if (!writer.Finish())
        return writeFailed();
    result.Sha256 = writer.Sha256();
    result.DataBytes = writer.DataBytes();
    result.StoredBytes = writer.StoredBytes();
    return result;
}
