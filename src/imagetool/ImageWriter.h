#pragma once
// Writes one image file: the header, then DATA records compressed with zstd (on zstd's own worker
// threads, so that compression overlaps with reading and hashing the volume), then the END record.
#include "imagetool/ImageFormat.h"

#include <QString>

#include <cstddef>
#include <vector>

struct ZSTD_CCtx_s;

class TImageWriter
{
public:
    TImageWriter();
    ~TImageWriter();
    TImageWriter(const TImageWriter&) = delete;
    TImageWriter& operator=(const TImageWriter&) = delete;

    // Creates `path` (it must not exist yet; mode 0600, since an image holds every file of the volume).
    // `workers` zstd threads (0 compresses on the calling thread).
    bool Open(const QString& path, quint64 volumeSize, int workers, int level = 3);
    // Stores volume bytes [offset, offset + size). Extents must come in rising order without overlap.
    bool AddExtent(quint64 offset, const char* data, std::size_t size);
    // Writes the END record with the volume's digest, flushes the compressor and syncs the file.
    bool Finish(const QByteArray& sha256);
    // Closes and deletes an unfinished file.
    void Abort();

    // errno of the failure (ENOSPC when the storage is full), and its description.
    int LastErrno() const { return lastErrno; }
    QString LastError() const { return lastError; }
    quint64 DataBytes() const { return dataBytes; }
    // Bytes written to the file so far.
    quint64 StoredBytes() const { return storedBytes; }

private:
    bool Compress(const char* data, std::size_t size, bool end);
    bool WriteOut(const char* data, std::size_t size);
    bool Fail(int error, const QString& what, const QString& detail = {});
    void Close();

    ZSTD_CCtx_s* context = nullptr;
    int fd = -1;
    QString filePath;
    quint64 volumeSize = 0;
    quint64 nextOffset = 0;
    quint64 dataBytes = 0;
    quint64 storedBytes = 0;
    std::vector<char> output;
    bool created = false;
    bool finished = false;
    int lastErrno = 0;
    QString lastError;
};
