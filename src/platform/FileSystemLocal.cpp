#include "platform/FileSystemLocal.h"

#include "platform/DeferredClose.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

int errorOf(int rc)
{
    return rc == 0 ? 0 : errno;
}

// A reference to the file at `path` (the link itself for a symbolic link), or -1: with it handed to
// TDeferredClose after the unlink or the replacing rename, the file is freed on that thread. Only on
// the disk file systems that free a file in the call: a network file system renames a removed file
// that is still open to a hidden name instead, which would keep its folder from being removed.
int holdForRelease(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct statfs volume;
    if (::fstatfs(fd, &volume) == 0) {
        switch (volume.f_type) {
        case EXT4_SUPER_MAGIC: // also ext2 and ext3
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case F2FS_SUPER_MAGIC:
            return fd;
        default:
            break;
        }
    }
    ::close(fd);
    return -1;
}

} // namespace

void FileStatFromPosix(const struct stat& st, TFileStat& out)
{
    out.isFolder = S_ISDIR(st.st_mode);
    out.isRegular = S_ISREG(st.st_mode);
    out.isSymlink = S_ISLNK(st.st_mode);
    out.size = st.st_size;
    out.lastWrite = st.st_mtim;
    out.mode = st.st_mode & 07777;
}

TLocalFileSystem& TLocalFileSystem::instance()
{
    static TLocalFileSystem fileSystem;
    return fileSystem;
}

int TLocalFileSystem::stat(const QString& path, TFileStat& out, bool followLinks)
{
    if (path.isEmpty())
        return ENOENT;
    struct stat st;
    const QByteArray native = nativePath(path);
    const int rc = followLinks ? ::stat(native.constData(), &st) : ::lstat(native.constData(), &st);
    if (rc != 0)
        return errno;
    FileStatFromPosix(st, out);
    return 0;
}

int TLocalFileSystem::list(const QString& folder, QList<TDirEntry>& out)
{
    out.clear();
    const int dirFd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return errno;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        const int error = errno;
        ::close(dirFd);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        struct stat st;
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // vanished since the listing
        TDirEntry item;
        item.name = QFile::decodeName(name);
        FileStatFromPosix(st, item.stat);
        out.append(std::move(item));
    }
    ::closedir(dir);
    return error;
}

int TLocalFileSystem::makeFolder(const QString& path)
{
    return errorOf(::mkdir(nativePath(path).constData(), 0777));
}

int TLocalFileSystem::removeFile(const QString& path)
{
    const QByteArray native = nativePath(path);
    const int held = holdForRelease(native);
    const int error = errorOf(::unlink(native.constData()));
    TDeferredClose::instance().close(held);
    return error;
}

int TLocalFileSystem::removeFolder(const QString& path)
{
    return errorOf(::rmdir(nativePath(path).constData()));
}

int TLocalFileSystem::rename(const QString& from, const QString& to, bool replace)
{
    const QByteArray source = nativePath(from);
    const QByteArray target = nativePath(to);
    const int held = replace ? holdForRelease(target) : -1;
    int error = errorOf(::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                                    replace ? 0 : RENAME_NOREPLACE));
    TDeferredClose::instance().close(held);
    if (error == EINVAL && !replace) {
        // A file system that cannot refuse in the call (FAT): the name is looked at first instead.
        struct stat st;
        if (::lstat(target.constData(), &st) == 0)
            return EEXIST;
        error = errno == ENOENT ? errorOf(::rename(source.constData(), target.constData())) : errno;
    }
    return error;
}

void TLocalFileSystem::finishDeferred()
{
    TDeferredClose::instance().drain();
}

int TLocalFileSystem::setPermissions(const QString& path, quint32 mode)
{
    return errorOf(::chmod(nativePath(path).constData(), mode & 07777));
}

int TLocalFileSystem::setLastWriteTime(const QString& path, const timespec& when)
{
    const timespec times[2] = {{0, UTIME_OMIT}, when};
    return errorOf(::utimensat(AT_FDCWD, nativePath(path).constData(), times, 0));
}

int TLocalFileSystem::openRead(const QString& path, std::unique_ptr<TFileHandle>& out,
                               const TOpenOptions& options)
{
    // Non-blocking open: a FIFO must never hang the copy; regular files are unaffected.
    const QByteArray native = nativePath(path);
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    int fd = -1;
    bool direct = false;
    if (options.unbuffered) {
        fd = ::open(native.constData(), flags | O_DIRECT);
        direct = fd >= 0;
    }
    if (fd < 0)
        fd = ::open(native.constData(), flags);
    if (fd < 0)
        return errno;
    // Reads block again. F_SETFL sets only the status flags it knows, of which the open above asked
    // for O_NONBLOCK and perhaps O_DIRECT: no need to read them first.
    ::fcntl(fd, F_SETFL, direct ? O_DIRECT : 0);
    out = std::make_unique<TLocalFileHandle>(fd, direct);
    return 0;
}

int TLocalFileSystem::openWrite(const QString& path, std::unique_ptr<TFileHandle>& out,
                                const TOpenOptions& options)
{
    const QByteArray native = nativePath(path);
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (options.exclusive ? O_EXCL : O_TRUNC);
    int fd = -1;
    bool direct = false;
    if (options.unbuffered) {
        fd = ::open(native.constData(), flags | O_DIRECT, options.mode);
        direct = fd >= 0;
    }
    if (fd < 0)
        fd = ::open(native.constData(), flags, options.mode);
    if (fd < 0)
        return errno;
    out = std::make_unique<TLocalFileHandle>(fd, direct);
    return 0;
}

QString TLocalFileSystem::volumeOf(const QString& path)
{
    // The device of the nearest existing folder: a rename target usually does not exist yet.
    QString probe = path;
    struct stat st;
    while (!probe.isEmpty()) {
        if (::stat(nativePath(probe).constData(), &st) == 0)
            return QStringLiteral("local:") + QString::number(quint64(st.st_dev));
        const QString parent = ParentPath(probe);
        if (parent == probe)
            break;
        probe = parent;
    }
    return QStringLiteral("local:?");
}

namespace {

// A descriptor of a folder on the volume: syncfs reports the write errors the volume met since the
// descriptor was opened.
class TLocalVolumeWrites final : public TVolumeWrites
{
public:
    explicit TLocalVolumeWrites(int fd) : fd(fd) {}
    ~TLocalVolumeWrites() override { ::close(fd); }
    TLocalVolumeWrites(const TLocalVolumeWrites&) = delete;
    TLocalVolumeWrites& operator=(const TLocalVolumeWrites&) = delete;
    int flush() override { return errorOf(::syncfs(fd)); }

private:
    int fd;
};

// A watch that could not begin: its flush reports why.
class TFailedVolumeWrites final : public TVolumeWrites
{
public:
    explicit TFailedVolumeWrites(int error) : error(error) {}
    int flush() override { return error; }

private:
    int error;
};

} // namespace

std::unique_ptr<TVolumeWrites> TLocalFileSystem::watchWrites(const QString& path)
{
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::make_unique<TFailedVolumeWrites>(errno);
    return std::make_unique<TLocalVolumeWrites>(fd);
}

qint64 TLocalFileHandle::read(char* buffer, qint64 size)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return -errno;
    }
}

qint64 TLocalFileHandle::write(const char* buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, buffer + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -errno;
        }
        if (n == 0)
            return -EIO;
        done += n;
    }
    return done;
}

int TLocalFileHandle::close()
{
    if (fd < 0)
        return 0;
    const int rc = ::close(fd);
    fd = -1;
    return rc == 0 || errno == EINTR ? 0 : errno;
}

int TLocalFileHandle::dropDirect()
{
    if (!direct)
        return 0;
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_DIRECT) != 0)
        return errno;
    direct = false;
    return 0;
}

qint64 ReadFileAt(int fd, char* buffer, qint64 length, qint64 offset)
{
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, buffer + done, size_t(length - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -errno;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}
