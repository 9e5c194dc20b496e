#include "imagetool/ImageWriter.h"

#include "platform/FileSystem.h"
#include "platform/FileSystemLocal.h"

#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using ImageFormat::kBlockSize;
using ImageFormat::kChunkSize;
using ImageFormat::kRecordHeaderSize;

struct TImageWriter::TSlot
{
    // Room for one record header in front of the chunk, so that a chunk without zero blocks packs
    // into a single record without moving.
    std::vector<char> buffer = std::vector<char>(kRecordHeaderSize + kChunkSize);
    std::vector<char> frame = std::vector<char>(ZSTD_compressBound(kRecordHeaderSize + kChunkSize));
    quint64 sequence = 0;
    quint64 offset = 0;
    std::size_t length = 0;
    bool hole = false;
    std::size_t frameSize = 0;
    quint64 dataBytes = 0;
    bool done = false;
    QString error;
};

namespace {
ZSTD_CCtx* newCompressor(int level)
{
    ZSTD_CCtx* context = ZSTD_createCCtx();
    if (context) {
        ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level);
        ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    }
    return context;
}
} // namespace

TImageWriter::TImageWriter() = default;

TImageWriter::~TImageWriter()
{
    Close();
}

bool TImageWriter::Open(const QString& path, quint64 size, int workerCount, int compressionLevel,
                        TFileSystem* target)
{
    filePath = path;
    volumeSize = size;
    level = compressionLevel;
    fileSystem = target ? target : &TLocalFileSystem::instance();
    TOpenOptions options;
    options.exclusive = true;
    options.mode = 0600;
    if (const int error = fileSystem->openWrite(path, file, options))
        return Fail(error, QStringLiteral("cannot create the file"));
    created = true;
    hash = std::make_unique<TSha256>();
    hashed = 0;
    const int slotCount = std::max(workerCount, 1) + 2;
    for (int i = 0; i < slotCount; ++i)
        slots.push_back(std::make_unique<TSlot>());
    if (workerCount == 0)
        inlineContext = newCompressor(level);
    for (int i = 0; i < workerCount; ++i)
        workers.emplace_back([this] { WorkerLoop(); });
    ImageFormat::TImageHeader header;
    header.VolumeSize = size;
    const QByteArray bytes = ImageFormat::EncodeHeader(header);
    return WriteOut(bytes.constData(), std::size_t(bytes.size()));
}

char* TImageWriter::NextBuffer()
{
    TSlot* slot = AcquireSlot();
    if (!slot)
        return nullptr;
    bufferOut = true;
    return slot->buffer.data() + kRecordHeaderSize;
}

TImageWriter::TSlot* TImageWriter::AcquireSlot()
{
    if (failed || !file)
        return nullptr;
    // The slot of this chunk was last used `slots.size()` chunks ago: its frame must be written first.
    while (submitted - written >= slots.size())
        if (!WriteFinished(true))
            return nullptr;
    if (!WriteFinished(false))
        return nullptr;
    return slots[submitted % slots.size()].get();
}

bool TImageWriter::Submit(quint64 offset, std::size_t length)
{
    if (failed || !bufferOut)
        return false;
    bufferOut = false;
    return Queue(*slots[submitted % slots.size()], offset, length, false);
}

bool TImageWriter::SubmitHole(quint64 offset, std::size_t length)
{
    if (bufferOut)
        return false;
    TSlot* slot = AcquireSlot();
    return slot && Queue(*slot, offset, length, true);
}

bool TImageWriter::Queue(TSlot& slot, quint64 offset, std::size_t length, bool hole)
{
    if (offset != nextOffset || length > kChunkSize || offset + length > volumeSize)
        return Fail(EINVAL, QStringLiteral("chunk out of order"));
    nextOffset = offset + length;
    slot.sequence = submitted;
    slot.offset = offset;
    slot.length = length;
    slot.hole = hole;
    slot.done = false;
    ++submitted;
    if (workers.empty()) {
        Process(slot, inlineContext);
        return WriteFinished(false);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back(&slot);
    }
    jobQueued.notify_one();
    return true;
}

bool TImageWriter::Finish()
{
    if (!failed && nextOffset != volumeSize)
        Fail(EINVAL, QStringLiteral("the chunks do not cover the volume"));
    while (written < submitted)
        if (!WriteFinished(true))
            return false;
    if (failed)
        return false;
    StopWorkers();
    sha256 = hash->Result();
    // The END record and the digest make the last frame.
    std::vector<char> record(kRecordHeaderSize + std::size_t(sha256.size()));
    ImageFormat::EncodeRecordHeader({ImageFormat::kEndTag, volumeSize, dataBytes}, record.data());
    std::memcpy(record.data() + kRecordHeaderSize, sha256.constData(), std::size_t(sha256.size()));
    ZSTD_CCtx* context = newCompressor(level);
    std::vector<char> frame(ZSTD_compressBound(record.size()));
    const std::size_t frameSize =
        context ? ZSTD_compress2(context, frame.data(), frame.size(), record.data(), record.size())
                : std::size_t(-1);
    ZSTD_freeCCtx(context);
    if (!context || ZSTD_isError(frameSize))
        return Fail(EIO, QStringLiteral("compression failed"));
    if (!WriteOut(frame.data(), frameSize))
        return false;
    // A share flushes on close; a local file is synced first.
    if (file->descriptor() >= 0 && ::fsync(file->descriptor()) != 0)
        return Fail(errno, QStringLiteral("cannot flush the file"));
    const std::unique_ptr<TFileHandle> closing = std::move(file);
    if (const int error = closing->close())
        return Fail(error, QStringLiteral("cannot close the file"));
    finished = true;
    Close();
    return true;
}

void TImageWriter::Abort()
{
    Close();
    if (created && !finished)
        fileSystem->removeFile(filePath);
    created = false;
}

void TImageWriter::WorkerLoop()
{
    ZSTD_CCtx* context = newCompressor(level);
    for (;;) {
        TSlot* slot = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex);
            jobQueued.wait(lock, [this] { return stopping || !queue.empty(); });
            if (stopping)
                break;
            slot = queue.front();
            queue.pop_front();
        }
        Process(*slot, context);
        {
            std::lock_guard<std::mutex> lock(mutex);
            slot->done = true;
        }
        jobDone.notify_all();
    }
    ZSTD_freeCCtx(context);
}

// Hashes the chunk in its turn, then packs its runs of non-zero blocks into DATA records in place
// (each dropped zero block leaves more room than a record header takes) and compresses them into one
// frame.
void TImageWriter::Process(TSlot& slot, void* context)
{
    char* const base = slot.buffer.data();
    {
        std::unique_lock<std::mutex> lock(mutex);
        hashTurn.wait(lock, [&] { return hashed == slot.sequence || stopping; });
        if (stopping)
            return;
    }
    if (slot.hole)
        hash->AddZeros(slot.length);
    else
        hash->Add(base + kRecordHeaderSize, slot.length);
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++hashed;
    }
    hashTurn.notify_all();
    slot.frameSize = 0;
    slot.dataBytes = 0;
    slot.error.clear();
    if (slot.hole)
        return;
    const char* const data = base + kRecordHeaderSize;
    std::size_t packed = 0;
    auto addRecord = [&](std::size_t start, std::size_t end) {
        ImageFormat::EncodeRecordHeader({ImageFormat::kDataTag, slot.offset + start, end - start},
                                        base + packed);
        std::memmove(base + packed + kRecordHeaderSize, data + start, end - start);
        packed += kRecordHeaderSize + (end - start);
        slot.dataBytes += end - start;
    };
    std::size_t runStart = slot.length;
    for (std::size_t at = 0; at < slot.length; at += kBlockSize) {
        const bool zero =
            ImageFormat::IsZeroBlock(data + at, std::min<std::size_t>(kBlockSize, slot.length - at));
        if (!zero && runStart == slot.length)
            runStart = at;
        if (zero && runStart != slot.length) {
            addRecord(runStart, at);
            runStart = slot.length;
        }
    }
    if (runStart != slot.length)
        addRecord(runStart, slot.length);
    if (packed == 0)
        return;
    auto* compressor = static_cast<ZSTD_CCtx*>(context);
    const std::size_t size =
        compressor ? ZSTD_compress2(compressor, slot.frame.data(), slot.frame.size(), base, packed)
                   : std::size_t(-1);
    if (!compressor || ZSTD_isError(size))
        slot.error =
            compressor ? QString::fromUtf8(ZSTD_getErrorName(size)) : QStringLiteral("no compressor");
    else
        slot.frameSize = size;
}

bool TImageWriter::WriteFinished(bool wait)
{
    while (written < submitted) {
        TSlot& slot = *slots[written % slots.size()];
        if (!workers.empty()) {
            std::unique_lock<std::mutex> lock(mutex);
            if (wait)
                jobDone.wait(lock, [&slot] { return slot.done; });
            else if (!slot.done)
                return true;
        }
        wait = false;
        if (!slot.error.isEmpty())
            return Fail(EIO, QStringLiteral("compression failed"), slot.error);
        if (slot.frameSize > 0 && !WriteOut(slot.frame.data(), slot.frameSize))
            return false;
        dataBytes += slot.dataBytes;
        ++written;
    }
    return true;
}

bool TImageWriter::WriteOut(const char* data, std::size_t size)
{
    while (size > 0) {
        const qint64 count = file->write(data, qint64(size));
        if (count < 0)
            return Fail(int(-count), QStringLiteral("cannot write the file"));
        data += count;
        size -= std::size_t(count);
        storedBytes += quint64(count);
    }
    return true;
}

bool TImageWriter::Fail(int error, const QString& what, const QString& detail)
{
    failed = true;
    lastErrno = error;
    lastError = what + QStringLiteral(": ") +
                (detail.isEmpty() ? QString::fromLocal8Bit(std::strerror(error)) : detail);
    return false;
}

void TImageWriter::StopWorkers()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        queue.clear();
    }
    jobQueued.notify_all();
    hashTurn.notify_all();
    for (std::thread& worker : workers)
        worker.join();
    workers.clear();
}

void TImageWriter::Close()
{
    StopWorkers();
    ZSTD_freeCCtx(static_cast<ZSTD_CCtx*>(inlineContext));
    inlineContext = nullptr;
    slots.clear();
    file.reset();
}
