#pragma once
// The copy routine of the storage: chunked, with progress after each chunk, a cancel flag polled
// between chunks, an unbuffered mode, and the last-write time and permission bits kept. A failed or
// cancelled copy removes what it wrote; an existing target is replaced only by a complete copy (written
// under a temporary name beside it, then renamed over it); the source's last-write time is set last (on
// SMB, for a new file, possibly while the next calls run: see TFileSystem::setLastWriteTimeLater, once
// the file has its name).
#include "base/ContentChecksum.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <functional>

struct TCopyOptions
{
    bool unbuffered = false; // O_DIRECT where possible, else dropping the copied pages from the cache
    bool overwrite = true;   // false: an existing target fails with EEXIST
    // The target's name only ever holds a complete file: a new file too is written under a temporary
    // name beside it and renamed into place (onto a free name first, over an existing file only when
    // `overwrite`), so that a run that stops at any point leaves no half file under that name.
    bool besideThenRename = false;
    const std::atomic<qint32>* cancel = nullptr; // nonzero aborts the copy with ECANCELED
    // Called before the first chunk and after each one with the source size and the bytes copied.
    std::function<void(qint64 total, qint64 transferred)> progress;
    // Called when the target exists and is about to be replaced (not for a new file).
    std::function<void()> beforeReplacing;
    // When set, fed every byte written to the target, in order (the in-kernel copy, whose bytes never
    // pass through here, is then left out). Complete only when the copy succeeded.
    TContentChecksum* checksum = nullptr;
};

struct TCopyResult
{
    int error = 0;              // 0 or errno
    bool sourceLocked = false;  // another process holds a lock on the (local) source
    bool sourceMissing = false; // nothing (or a dangling link) at the source path
    bool targetFailed = false;  // the error came from making, writing or finishing the target
    qint64 size = -1;           // the bytes copied, once the copy succeeded
    bool ok() const { return error == 0; }
};

TCopyResult CopyFileWithProgress(TFileSystem& sourceFs, const QString& source, TFileSystem& targetFs,
                                 const QString& target, const TCopyOptions& options);

// A hidden name that is not in use yet, in the folder of `target`: where a replacement is written
// before it is renamed over the file it replaces.
QString TemporaryNameBeside(const QString& target);
// True for a file name that TemporaryNameBeside makes.
bool IsTemporaryNameBeside(QStringView name);

// Size of one chunk: the cancel flag is polled and progress reported this often.
constexpr qint64 kCopyChunkSize = 8 * 1024 * 1024;
