#pragma once
// The storage file system on local paths: POSIX calls, no state, usable from any thread.
#include "platform/FileSystem.h"

class TLocalFileSystem : public TFileSystem
{
public:
    bool isLocal() const override { return true; }
    int stat(const QString& path, TFileStat& out, bool followLinks = true) override;
    int list(const QString& folder, QList<TDirEntry>& out) override;
    int makeFolder(const QString& path) override;
    int removeFile(const QString& path) override;
    int removeFolder(const QString& path) override;
    int rename(const QString& from, const QString& to, bool replace) override;
    // Waits until the files removed or replaced so far are freed.
    void finishDeferred() override;
    int setPermissions(const QString& path, quint32 mode) override;
    int setLastWriteTime(const QString& path, const timespec& when) override;
    int openRead(const QString& path, std::unique_ptr<TFileHandle>& out,
                 const TOpenOptions& options) override;
    int openWrite(const QString& path, std::unique_ptr<TFileHandle>& out,
                  const TOpenOptions& options) override;
    QString volumeOf(const QString& path) override;
    std::unique_ptr<TVolumeWrites> watchWrites(const QString& path) override;

    // The one instance every caller may share.
    static TLocalFileSystem& instance();
};

// A local file opened by TLocalFileSystem; its descriptor serves the in-kernel copy.
class TLocalFileHandle final : public TFileHandle
{
public:
    TLocalFileHandle(int fd, bool direct) : fd(fd), direct(direct) {}
    ~TLocalFileHandle() override { close(); }
    TLocalFileHandle(const TLocalFileHandle&) = delete;
    TLocalFileHandle& operator=(const TLocalFileHandle&) = delete;

    qint64 read(char* buffer, qint64 size) override;
    qint64 write(const char* buffer, qint64 size) override;
    int close() override;
    int descriptor() const override { return fd; }
    bool isDirect() const override { return direct; }
    int dropDirect() override;

private:
    int fd;
    bool direct;
};

// Fills a TFileStat from a POSIX stat record.
void FileStatFromPosix(const struct stat& st, TFileStat& out);
// Reads up to `length` bytes of the local file `fd` from `offset` into `buffer`, fewer only at the end
// of the file. The bytes read, or a negative errno value.
qint64 ReadFileAt(int fd, char* buffer, qint64 length, qint64 offset);
