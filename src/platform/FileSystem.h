#pragma once
// The file-system interface of the backup storage: one backend for local paths, one for SMB shares.
// Every call returns 0 or an errno value; nothing throws.
#include <QList>
#include <QString>

#include <cerrno>
#include <ctime>
#include <functional>
#include <memory>

class TContentChecksum;

struct TFileStat
{
    bool isFolder = false;
    bool isRegular = false;
    bool isSymlink = false; // only from list() and stat(..., false): the entry itself is a link
    qint64 size = 0;
    timespec lastWrite{};
    quint32 mode = 0; // permission bits (07777)

    // Read-only: no write permission bit at all.
    bool readOnly() const { return (mode & 0222) == 0; }
};

struct TDirEntry
{
    QString name;
    TFileStat stat;
};

// The writes to one volume since the watch began.
class TVolumeWrites
{
public:
    virtual ~TVolumeWrites() = default;
    // Waits until everything written to the volume is on its disk: 0, or the errno of a write the
    // device failed since the watch began (also one the kernel wrote back long before this call).
    virtual int flush() = 0;
};

class TFileHandle
{
public:
    virtual ~TFileHandle() = default;
    // Bytes read (0 at the end), or a negative errno value.
    virtual qint64 read(char* buffer, qint64 size) = 0;
    // Bytes written, or a negative errno value.
    virtual qint64 write(const char* buffer, qint64 size) = 0;
    // Closes the file; 0 or errno. Called again (or by the destructor) it does nothing.
    virtual int close() = 0;
    // The local descriptor, or -1 for a remote file.
    virtual int descriptor() const { return -1; }
    // Opened with O_DIRECT: buffers and sizes must be aligned to the block size.
    virtual bool isDirect() const { return false; }
    // Drops O_DIRECT (for the unaligned tail of a file); 0 or errno. Nothing to drop without it.
    virtual int dropDirect() { return 0; }
    // Moves the offset of the next read or write; 0 or errno (ESPIPE for a handle that cannot).
    virtual int seek(qint64 offset)
    {
        (void)offset;
        return ESPIPE;
    }
};

// A last-write time that was set later than the call that asked for it, and could not be set.
struct TDeferredFailure
{
    QString path;
    int error = 0;
};

struct TOpenOptions
{
    bool unbuffered = false; // bypass the page cache where the backend can
    bool exclusive = false;  // writing: fail with EEXIST when the file exists
    quint32 mode = 0600;     // writing: permission bits of a new file (before the umask)
};

class TFileSystem
{
public:
    virtual ~TFileSystem() = default;

    virtual bool isLocal() const = 0;
    // `followLinks` false reports a symbolic link itself.
    virtual int stat(const QString& path, TFileStat& out, bool followLinks = true) = 0;
    // Entries of a folder without "." and "..", links reported as links.
    virtual int list(const QString& folder, QList<TDirEntry>& out) = 0;
    virtual int makeFolder(const QString& path) = 0;
    virtual int removeFile(const QString& path) = 0;
    virtual int removeFolder(const QString& path) = 0;
    // Moves a file or folder; with `replace` false an existing target fails with EEXIST. Paths on
    // different volumes fail with EXDEV.
    virtual int rename(const QString& from, const QString& to, bool replace) = 0;
    virtual int setPermissions(const QString& path, quint32 mode) = 0;
    virtual int setLastWriteTime(const QString& path, const timespec& when) = 0;
    // The same for a file just written and closed, which may happen while the next calls run: a
    // backend that can overlap it with them does (SMB). Any later call that depends on it waits for
    // it; a failure (after one more try) is handed over by takeDeferredFailures().
    virtual int setLastWriteTimeLater(const QString& path, const timespec& when)
    {
        return setLastWriteTime(path, when);
    }
    // Waits for the times still being set.
    virtual void finishDeferred() {}
    // The failures of times set later, found so far (finishDeferred() first to have them all).
    virtual QList<TDeferredFailure> takeDeferredFailures() { return {}; }
    virtual int openRead(const QString& path, std::unique_ptr<TFileHandle>& out,
                         const TOpenOptions& options) = 0;
    // Creates or truncates.
    virtual int openWrite(const QString& path, std::unique_ptr<TFileHandle>& out,
                          const TOpenOptions& options) = 0;
    // A key that is equal for two paths exactly when a rename between them can work.
    virtual QString volumeOf(const QString& path) = 0;
    // Watches the writes to the volume holding the folder `path` from now on (see TVolumeWrites);
    // null when there is nothing to wait for: a share's server keeps its own writes.
    virtual std::unique_ptr<TVolumeWrites> watchWrites(const QString& path)
    {
        (void)path;
        return nullptr;
    }

    // Copies the first `total` bytes of the local file `source` into `out`, a file this file system has
    // just created at `target`, faster than chunk by chunk through `out` where the backend can (a share:
    // a second session writes every other chunk). 0 or errno; -1 when it cannot, and the caller copies
    // through `out` itself. `cancelled` is asked between chunks, `progress` told the bytes done;
    // `checksum`, when set, is fed the bytes written in order.
    virtual int copyLargeFile(int source, qint64 total, TFileHandle& out, const QString& target,
                              qint64 chunkSize, const std::function<bool()>& cancelled,
                              const std::function<void(qint64)>& progress, TContentChecksum* checksum)
    {
        (void)source, (void)total, (void)out, (void)target, (void)chunkSize, (void)cancelled, (void)progress,
            (void)checksum;
        return -1;
    }

    bool exists(const QString& path);
    bool folderExists(const QString& path);
    // Creates the folder and every missing parent; 0 when it exists afterwards.
    int makePath(const QString& path);
    // Gives the owner write permission (the "clear all attributes" of the storage); 0 or errno.
    int makeWritable(const QString& path);
};

// The parent folder of a path joined with "/", and the last component.
QString ParentPath(const QString& path);
QString LastPathComponent(const QString& path);
