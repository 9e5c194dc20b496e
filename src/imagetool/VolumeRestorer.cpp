#include "imagetool/VolumeRestorer.h"

#include "imagetool/ImageReader.h"
#include "imagetool/Sha256.h"

#include <linux/fs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

// Hashes the volume as it streams out of the image and, when a target is given, writes it there.
class TRestoreSink : public TImageSink
{
public:
    TRestoreSink(int fd, bool isBlockDevice, quint64 total,
                 const std::function<void(quint64, quint64)>& onProgress,
                 const std::function<bool()>& stopRequested)
        : fd(fd), isBlockDevice(isBlockDevice), total(total), onProgress(onProgress),
          stopRequested(stopRequested)
    {
    }

    bool Data(quint64 offset, const char* data, std::size_t size) override
    {
        hash.Add(data, size);
        if (fd >= 0 && !WriteAt(offset, data, size))
            return false;
        Advance(offset + size);
        return true;
    }

    // A long zero range is taken in steps, so that progress and stop requests keep coming through.
    bool Zeros(quint64 offset, quint64 count) override
    {
        constexpr quint64 kStep = 64u << 20;
        while (count > 0) {
            if (stopRequested && stopRequested()) {
                stopped = true;
                return false;
            }
            const quint64 step = std::min(count, kStep);
            hash.AddZeros(step);
            if (fd >= 0 && isBlockDevice && !ZeroDevice(offset, step))
                return false;
            offset += step;
            count -= step;
            Advance(offset);
        }
        return true;
    }

    QByteArray Digest() { return hash.Result(); }
    int Errno() const { return error; }
    bool Stopped() const { return stopped; }

private:
    bool WriteAt(quint64 offset, const char* data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::pwrite(fd, data, size, off_t(offset));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                return false;
            }
            data += written;
            size -= std::size_t(written);
            offset += quint64(written);
        }
        return true;
    }

    // The device keeps its old content where the volume has zeros: clear it, by the device's own
    // zeroing command where it has one.
    bool ZeroDevice(quint64 offset, quint64 count)
    {
        if (offset % 512 == 0 && count % 512 == 0) {
            quint64 range[2] = {offset, count};
            if (::ioctl(fd, BLKZEROOUT, range) == 0)
                return true;
        }
        static const std::vector<char> zeros(1u << 20, '\0');
        while (count > 0) {
            const std::size_t step = std::size_t(std::min<quint64>(count, zeros.size()));
            if (!WriteAt(offset, zeros.data(), step))
                return false;
            offset += step;
            count -= step;
        }
        return true;
    }

    void Advance(quint64 done)
    {
        if (onProgress)
            onProgress(done, total);
    }

    int fd;
    bool isBlockDevice;
    quint64 total;
    const std::function<void(quint64, quint64)>& onProgress;
    const std::function<bool()>& stopRequested;
    TSha256 hash;
    int error = 0;
    bool stopped = false;
};

} // namespace

TVolumeRestorer::TVolumeRestorer(const QString& imagePath, TFileSystem* fileSystem)
    : imagePath(imagePath), fileSystem(fileSystem)
{
}

TRestoreResult TVolumeRestorer::Verify(const QByteArray& expectedSha256)
{
    return Pass(-1, false, expectedSha256);
}

TRestoreResult TVolumeRestorer::Write(int targetFd, bool targetIsBlockDevice,
                                      const QByteArray& expectedSha256)
{
    TRestoreResult result = Pass(targetFd, targetIsBlockDevice, expectedSha256);
    if (result.Status == TRestoreStatus::rsDone && ::fsync(targetFd) != 0) {
        result.Status = TRestoreStatus::rsTargetError;
        result.Errno = errno;
        result.Message = QString::fromLocal8Bit(std::strerror(result.Errno));
    }
    return result;
}

TRestoreResult TVolumeRestorer::Pass(int targetFd, bool targetIsBlockDevice, const QByteArray& expectedSha256)
{
    TRestoreResult result;
    TImageReader reader(fileSystem);
    if (!reader.Open(imagePath)) {
        result.Status = TRestoreStatus::rsImageDamaged;
        result.Message = reader.LastError();
        return result;
    }
    TRestoreSink sink(targetFd, targetIsBlockDevice, reader.Header().VolumeSize, OnProgress, StopRequested);
    if (!reader.ReadAll(sink, StopRequested)) {
        if (reader.Stopped() || sink.Stopped()) {
            result.Status = TRestoreStatus::rsStopped;
        } else if (reader.LastError().isEmpty()) {
            result.Status = TRestoreStatus::rsTargetError;
            result.Errno = sink.Errno();
            result.Message = QString::fromLocal8Bit(std::strerror(sink.Errno()));
        } else {
            result.Status = TRestoreStatus::rsImageDamaged;
            result.Message = reader.LastError();
        }
        return result;
    }
    result.Sha256 = sink.Digest();
    if (result.Sha256 != reader.StoredDigest() || result.Sha256 != expectedSha256) {
        result.Status = TRestoreStatus::rsChecksumMismatch;
        result.Message =
            QStringLiteral("SHA-256 %1, expected %2")
                .arg(QString::fromLatin1(result.Sha256.toHex()), QString::fromLatin1(expectedSha256.toHex()));
    }
    return result;
}
