#pragma once
// Writes one image file: the header, one zstd frame per chunk of the volume that holds any non-zero
// block, and a last frame with the END record. The caller reads each chunk straight into a buffer of
// the writer and hands it over; worker threads hash it (SHA-256 of the raw volume, chunk after chunk
// in volume order), drop its zero blocks, pack the rest into records and compress them, while the
// caller reads the next chunks and writes finished frames in volume order. Memory use is a fixed
// number of chunk buffers.
#include "imagetool/ImageFormat.h"
#include "imagetool/Sha256.h"

#include <QString>

class TFileHandle;
class TFileSystem;

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TImageWriter
{
public:
    TImageWriter();
    ~TImageWriter();
    TImageWriter(const TImageWriter&) = delete;
    TImageWriter& operator=(const TImageWriter&) = delete;

    // Creates `path` (it must not exist yet; mode 0600, since an image holds every file of the volume)
    // on `fileSystem` (the local one when null). `workers` compression threads; 0 compresses on the
    // calling thread. The file is written on the calling thread only.
    bool Open(const QString& path, quint64 volumeSize, int workers, int level = 3,
              TFileSystem* fileSystem = nullptr);
    // A buffer of ImageFormat::kChunkSize bytes for the next chunk; it waits for a free buffer and
    // writes finished frames meanwhile. nullptr after a failure.
    char* NextBuffer();
    // Hands over the buffer from NextBuffer, filled with volume bytes [offset, offset + length).
    // Chunks come in rising order and cover the volume without gaps (holes through SubmitHole).
    bool Submit(quint64 offset, std::size_t length);
    // Volume bytes [offset, offset + length) are known to be zero (a hole of a sparse file) and were
    // not read: they are only hashed.
    bool SubmitHole(quint64 offset, std::size_t length);
    // Writes the remaining frames and the END record with the volume's digest, then syncs the file.
    bool Finish();
    // The SHA-256 of the raw volume, after Finish.
    QByteArray Sha256() const { return sha256; }
    // Stops the workers, closes and deletes an unfinished file.
    void Abort();

    // errno of the failure (ENOSPC when the storage is full), and its description.
    int LastErrno() const { return lastErrno; }
    QString LastError() const { return lastError; }
    quint64 DataBytes() const { return dataBytes; }
    // Bytes written to the file so far.
    quint64 StoredBytes() const { return storedBytes; }

private:
    struct TSlot;
    TSlot* AcquireSlot();
    bool Queue(TSlot& slot, quint64 offset, std::size_t length, bool hole);
    void WorkerLoop();
    void Process(TSlot& slot, void* context);
    // Writes finished frames in order; with `wait`, waits for the oldest pending one first.
    bool WriteFinished(bool wait);
    bool WriteOut(const char* data, std::size_t size);
    bool Fail(int error, const QString& what, const QString& detail = {});
    void StopWorkers();
    void Close();

    TFileSystem* fileSystem = nullptr;
    std::unique_ptr<TFileHandle> file;
    QString filePath;
    bool created = false;
    bool finished = false;
    bool failed = false;
    quint64 volumeSize = 0;
    quint64 nextOffset = 0;
    int level = 3;
    quint64 dataBytes = 0;
    quint64 storedBytes = 0;
    int lastErrno = 0;
    QString lastError;

    std::vector<std::unique_ptr<TSlot>> slots;
    quint64 submitted = 0; // chunks handed over
    quint64 written = 0;   // chunks whose frame is in the file
    bool bufferOut = false;
    void* inlineContext = nullptr; // compressor of the calling thread when there are no workers
    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable jobQueued;
    std::condition_variable jobDone;
    std::deque<TSlot*> queue;
    bool stopping = false;
    // Chunks are hashed strictly in order: a worker waits for its chunk's turn.
    std::unique_ptr<TSha256> hash;
    quint64 hashed = 0;
    std::condition_variable hashTurn;
    QByteArray sha256;
};
