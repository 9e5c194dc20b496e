#include "platform/DirectoryListing.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
qint64 mtimeMsecsOf(const struct stat& st)
{
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

void fillFromStat(const struct stat& st, TDirectoryEntry& entry)
{
    entry.mode = st.st_mode;
    entry.size = st.st_size;
    entry.mtimeMsecs = mtimeMsecsOf(st);
    if (S_ISREG(st.st_mode))
        entry.kind = TDirectoryEntry::ekFile;
    else if (S_ISDIR(st.st_mode))
        entry.kind = TDirectoryEntry::ekFolder;
    else
        entry.kind = TDirectoryEntry::ekOther;
}
} // namespace

bool TDirectoryListing::open(const QString& folder)
{
    close();
    failure = 0;
    const QByteArray path = QFile::encodeName(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        failure = errno;
        return false;
    }
    dir = fdopendir(fd);
    if (!dir) {
        failure = errno;
        ::close(fd);
        return false;
    }
    return true;
}

bool TDirectoryListing::next(TDirectoryEntry& entry)
{
    if (!dir)
        return false;
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (!d) {
            failure = errno; // 0 at the end of the listing
            return false;
        }
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.name = QString::fromUtf8(name);
        entry.wasListedAsFolder = d->d_type == DT_DIR;
        entry.size = 0;
        entry.mtimeMsecs = 0;
        entry.mode = 0;
        entry.error = 0;
        struct stat st;
        if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            entry.error = errno;
            entry.kind = errno == ENOENT ? TDirectoryEntry::ekVanished : TDirectoryEntry::ekUnreadable;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            fillFromStat(st, entry);
            return true;
        }
        if (fstatat(dirfd(dir), name, &st, 0) != 0) {
            // The target may be on a drive that is not there now: unknown, not gone.
            entry.error = errno;
            entry.kind = TDirectoryEntry::ekUnreadable;
            return true;
        }
        fillFromStat(st, entry);
        if (entry.kind == TDirectoryEntry::ekFolder)
            entry.kind = TDirectoryEntry::ekLinkToFolder;
        return true;
    }
}

void TDirectoryListing::close()
{
    if (dir) {
        closedir(dir);
        dir = nullptr;
    }
}

bool StatSourcePath(const QString& path, TDirectoryEntry& entry)
{
    struct stat st;
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    const qsizetype slash = path.lastIndexOf('/');
    entry.name = slash < 0 ? path : path.mid(slash + 1);
    entry.wasListedAsFolder = false;
    entry.error = 0;
    fillFromStat(st, entry);
    return true;
}

bool SourceFolderExists(const QString& path)
{
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SourceFileExists(const QString& path)
{
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}
