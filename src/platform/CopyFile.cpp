#include "platform/CopyFile.h"

#include "platform/FileSystem.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kDirectAlignment = 4096;

struct TAlignedBuffer
{
    explicit TAlignedBuffer(size_t size)
    {
        if (posix_memalign(&data, kDirectAlignment, size) != 0)
            data = nullptr;
    }
    ~TAlignedBuffer() { std::free(data); }
    TAlignedBuffer(const TAlignedBuffer&) = delete;
    TAlignedBuffer& operator=(const TAlignedBuffer&) = delete;
    char* get() const { return static_cast<char*>(data); }
    void* data = nullptr;
};

// Another process holds an flock or a POSIX write lock on the file. The shared flock taken here
// stays until the descriptor is closed, so writers that lock are held off during the copy.
bool lockedByAnotherProcess(int fd)
{
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return true;
    struct flock probe
    {
    };
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    return ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

bool cancelled(const TCopyOptions& options)
{
    return options.cancel && options.cancel->load(std::memory_order_relaxed) != 0;
}

void reportProgress(const TCopyOptions& options, qint64 total, qint64 transferred)
{
    if (options.progress)
        options.progress(total, transferred);
}

// Fills `buffer` up to `size` bytes; fewer only at the end of the file. Bytes or -errno.
qint64 readChunk(TFileHandle& in, char* buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        qint64 n = in.read(buffer + done, size - done);
        if (n == -EINVAL) {
            // O_DIRECT refused for this read (unaligned offset at the tail): continue buffered.
            if (in.isDirect() && in.dropDirect() == 0)
                n = in.read(buffer + done, size - done);
        }
        if (n < 0)
            return n;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

qint64 writeChunk(TFileHandle& out, const char* buffer, qint64 size)
{
    if (out.isDirect() && size % qint64(kDirectAlignment) != 0)
        out.dropDirect(); // the unaligned tail of the file
    qint64 n = out.write(buffer, size);
    if (n == -EINVAL && out.isDirect() && out.dropDirect() == 0)
        n = out.write(buffer, size);
    return n;
}

// Unbuffered mode without O_DIRECT: write the chunk back and drop it (and the source's pages)
// from the page cache.
void dropFromCache(TFileHandle& in, TFileHandle& out, qint64 offset, qint64 length)
{
    if (in.descriptor() >= 0)
        ::posix_fadvise(in.descriptor(), offset, length, POSIX_FADV_DONTNEED);
    if (out.descriptor() >= 0) {
        ::sync_file_range(out.descriptor(), offset, length,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(out.descriptor(), offset, length, POSIX_FADV_DONTNEED);
    }
}

// In-kernel copy between two local descriptors. Returns 0, ECANCELED, or -1 when the caller should
// go on with read/write from where this stopped: the kernel cannot copy between these files, or a
// call failed, and only a read or a write of its own tells which side failed.
int copyInKernel(int in, int out, qint64 total, const TCopyOptions& options, qint64& transferred)
{
    for (;;) {
        if (cancelled(options))
            return ECANCELED;
        qint64 chunkDone = 0;
        while (chunkDone < kCopyChunkSize) {
            const ssize_t n =
                ::copy_file_range(in, nullptr, out, nullptr, size_t(kCopyChunkSize - chunkDone), 0);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // Both files' offsets stand after the bytes copied so far.
                transferred += chunkDone;
                return -1;
            }
            if (n == 0) {
                // Some file systems report 0 for files whose size they do not know: copy by hand.
                if (transferred == 0 && chunkDone == 0 && total > 0)
                    return -1;
                transferred += chunkDone;
                reportProgress(options, total, transferred);
                return 0;
            }
            chunkDone += n;
        }
        transferred += chunkDone;
        reportProgress(options, total, transferred);
    }
}

// Copies from both files' current offsets on. `sourceFailed` tells a failure to read (or to get the
// buffer) from one to write.
int copyByChunks(TFileHandle& in, TFileHandle& out, qint64 total, const TCopyOptions& options,
                 qint64& transferred, bool& sourceFailed)
{
    // Small files get a buffer of their size (rounded to the alignment, one byte more so that a full
    // buffer means "maybe more"): no 8 MiB mapping made and dropped for each of them.
    const qint64 bufferSize =
        std::min(kCopyChunkSize,
                 (std::max<qint64>(total, 0) / qint64(kDirectAlignment) + 1) * qint64(kDirectAlignment));
    TAlignedBuffer buffer{size_t(bufferSize)};
    if (!buffer.get()) {
        sourceFailed = true;
        return ENOMEM;
    }
    const bool dropPages = options.unbuffered && !(in.isDirect() && out.isDirect());
    for (;;) {
        if (cancelled(options))
            return ECANCELED;
        const qint64 n = readChunk(in, buffer.get(), bufferSize);
        if (n < 0) {
            sourceFailed = true;
            return int(-n);
        }
        if (n == 0)
            return 0;
        const qint64 written = writeChunk(out, buffer.get(), n);
        if (written < 0)
            return int(-written);
        if (options.checksum)
            options.checksum->update(buffer.get(), size_t(n));
        if (dropPages)
            dropFromCache(in, out, transferred, n);
        transferred += n;
        reportProgress(options, total, transferred);
        if (n < bufferSize)
            return 0;
    }
}

// Last-write time and permission bits of the copy, set on the still-open local target.
int finishLocalTarget(int fd, const TFileStat& source, bool sourceIsLocal)
{
    mode_t mode = source.mode;
    if (!sourceIsLocal) {
        // An SMB source only knows read-only: keep the default bits, less write for read-only.
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return errno;
        mode = st.st_mode & 07777;
        if (source.readOnly())
            mode &= ~mode_t(0222);
    }
    if (::fchmod(fd, mode) != 0)
        return errno;
    const timespec times[2] = {{0, UTIME_OMIT}, source.lastWrite};
    return ::futimens(fd, times) == 0 ? 0 : errno;
}

// Gives the complete copy `written` the name `target` (where it may already be) and, on a share, the
// source's time. A new file's time may be set there while the next copy runs; a replacement's must be
// in place before the rename. On a failure `written` names what is left to remove.
int putInPlace(TFileSystem& targetFs, QString& written, const QString& target, const timespec& lastWrite,
               const TCopyOptions& options)
{
    const bool share = !targetFs.isLocal();
    if (written != target && options.besideThenRename) {
        // Onto a free name first, which the rename refuses to replace.
        const int error = targetFs.rename(written, target, false);
        if (error == 0)
            written = target;
        else if (error != EEXIST || !options.overwrite)
            return error;
        else if (options.beforeReplacing)
            options.beforeReplacing();
    }
    if (written == target)
        return share ? targetFs.setLastWriteTimeLater(target, lastWrite) : 0;
    if (share) {
        if (const int error = targetFs.setLastWriteTime(written, lastWrite); error != 0)
            return error;
    }
    return targetFs.rename(written, target, true);
}

} // namespace

TCopyResult CopyFileWithProgress(TFileSystem& sourceFs, const QString& source, TFileSystem& targetFs,
                                 const QString& target, const TCopyOptions& options)
{
    TCopyResult result;
    TFileStat sourceStat;
    result.error = sourceFs.stat(source, sourceStat);
    result.sourceMissing = result.error == ENOENT;
    if (result.error != 0)
        return result;
    if (sourceStat.isFolder) {
        result.error = EISDIR;
        return result;
    }
    if (!sourceStat.isRegular) {
        result.error = EINVAL; // sockets, FIFOs and devices are never read
        return result;
    }
    std::unique_ptr<TFileHandle> in;
    TOpenOptions readOptions;
    readOptions.unbuffered = options.unbuffered;
    result.error = sourceFs.openRead(source, in, readOptions);
    if (result.error == EBUSY || result.error == ETXTBSY)
        result.sourceLocked = true;
    result.sourceMissing = result.error == ENOENT;
    if (result.error != 0)
        return result;
    if (in->descriptor() >= 0 && lockedByAnotherProcess(in->descriptor())) {
        result.sourceLocked = true;
        result.error = EWOULDBLOCK;
        return result;
    }

    // A new file is written in place (unless asked otherwise); an existing one is replaced only once its
    // successor is complete, by a rename from a temporary name beside it. Either way a failure removes
    // what was written.
    std::unique_ptr<TFileHandle> out;
    TOpenOptions writeOptions;
    writeOptions.unbuffered = options.unbuffered;
    writeOptions.exclusive = true;
    writeOptions.mode = sourceFs.isLocal() ? 0600 : 0666;
    QString written = options.besideThenRename ? TemporaryNameBeside(target) : target;
    result.error = targetFs.openWrite(written, out, writeOptions);
    if (result.error == EEXIST && !options.besideThenRename) {
        if (!options.overwrite)
            return result;
        if (options.beforeReplacing)
            options.beforeReplacing();
        written = TemporaryNameBeside(target);
        result.error = targetFs.openWrite(written, out, writeOptions);
    }
    if (result.error != 0) {
        result.targetFailed = true;
        return result;
    }

    const qint64 total = sourceStat.size;
    qint64 transferred = 0;
    reportProgress(options, total, 0);
    int error = -1;
    if (!options.unbuffered && !options.checksum && in->descriptor() >= 0 && out->descriptor() >= 0)
        error = copyInKernel(in->descriptor(), out->descriptor(), total, options, transferred);
    if (error == -1 && !options.unbuffered && in->descriptor() >= 0 && total >= 2 * kCopyChunkSize) {
        // Large files where the target's file system has a faster way (a share: a second session).
        error = targetFs.copyLargeFile(
            in->descriptor(), total, *out, written, kCopyChunkSize, [&options] { return cancelled(options); },
            [&](qint64 done) {
                transferred = done;
                reportProgress(options, total, done);
            },
            options.checksum);
    }
    // From here on a failure is the target's, unless reading the source (or this side's memory) failed
    // or the copy was cancelled.
    bool sourceFailed = false;
    if (error == -1)
        error = copyByChunks(*in, *out, total, options, transferred, sourceFailed);
    if (error == 0 && out->descriptor() >= 0)
        error = finishLocalTarget(out->descriptor(), sourceStat, sourceFs.isLocal());
    const int closeError = out->close();
    if (error == 0)
        error = closeError;
    in->close();
    if (error == 0)
        error = putInPlace(targetFs, written, target, sourceStat.lastWrite, options);
    if (error != 0) {
        targetFs.removeFile(written);
        result.error = error;
        result.targetFailed = !sourceFailed && error != ECANCELED;
        return result;
    }
    if (!targetFs.isLocal() && sourceStat.readOnly()) {
        result.error = targetFs.setPermissions(target, sourceStat.mode);
        result.targetFailed = result.error != 0;
    }
    if (result.ok())
        result.size = transferred;
    return result;
}

namespace {
// A temporary name beside a target: prefix, 16 lower-case hexadecimal digits, suffix.
constexpr QLatin1StringView kTemporaryPrefix(".zorvan-"), kTemporarySuffix(".part");
constexpr int kTemporaryDigits = 16;
} // namespace

QString TemporaryNameBeside(const QString& target)
{
    const QString parent = ParentPath(target);
    const QString name =
        kTemporaryPrefix +
        QString::number(QRandomGenerator::global()->generate64(), 16).rightJustified(kTemporaryDigits, '0') +
        kTemporarySuffix;
    return parent.isEmpty() ? name : (parent.endsWith('/') ? parent : parent + '/') + name;
}

bool IsTemporaryNameBeside(QStringView name)
{
    if (name.size() != kTemporaryPrefix.size() + kTemporaryDigits + kTemporarySuffix.size() ||
        !name.startsWith(kTemporaryPrefix) || !name.endsWith(kTemporarySuffix))
        return false;
    const QStringView digits = name.mid(kTemporaryPrefix.size(), kTemporaryDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
}
