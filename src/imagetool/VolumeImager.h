#pragma once
// Images one volume: reads it in large chunks, hashes every byte (SHA-256 of the raw volume), and
// stores only the blocks that are not all zero. Holes of a sparse image file are not even read.
// Memory use is a few chunks, whatever the volume's size.
#include <QByteArray>
#include <QString>

#include <functional>

enum class TImagingStatus
{
    isDone,
    isStopped,
    isReadError,
    isWriteError
};

struct TImagingResult
{
    TImagingStatus Status = TImagingStatus::isDone;
    int Errno = 0;           // of a read or write failure; ENOSPC when the storage is full
    QString Message;         // description of the failure
    quint64 ErrorOffset = 0; // volume offset of a read failure
    QByteArray Sha256;       // of the raw volume, when done
    quint64 Size = 0;
    quint64 DataBytes = 0;   // bytes in non-zero blocks
    quint64 StoredBytes = 0; // size of the image file
};

class TFileSystem;

class TVolumeImager
{
public:
    // `sourceFd` is open for reading; `size` is the volume's size in bytes.
    TVolumeImager(int sourceFd, quint64 size, bool isRegularFile);

    // Called after every chunk with the bytes done so far.
    std::function<void(quint64 done, quint64 total)> OnProgress;
    // Polled between chunks.
    std::function<bool()> StopRequested;
    // zstd worker threads (0: compress on the calling thread).
    int CompressionWorkers = 0;
    // Where the image is written; the local file system when null.
    TFileSystem* TargetFileSystem = nullptr;

    // Writes the image to `imagePath` (a new file). An unfinished image file is deleted.
    TImagingResult Run(const QString& imagePath);

private:
    int sourceFd;
    quint64 size;
    bool isRegularFile;
};
