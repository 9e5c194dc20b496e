#include "platform/FolderNames.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TFolderName::TKind KindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return TFolderName::fnFolder;
    if (S_ISREG(mode))
        return TFolderName::fnFile;
    return TFolderName::fnOther;
}

TFolderName::TKind KindOf(int folder, const dirent* d)
{
    switch (d->d_type) {
    case DT_DIR:
        return TFolderName::fnFolder;
    case DT_REG:
        return TFolderName::fnFile;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return TFolderName::fnOther;
    }
    struct stat st;
    if (fstatat(folder, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return TFolderName::fnOther;
    if (!S_ISLNK(st.st_mode))
        return KindOfMode(st.st_mode);
    if (fstatat(folder, d->d_name, &st, 0) != 0)
        return TFolderName::fnOther;
    switch (KindOfMode(st.st_mode)) {
    case TFolderName::fnFolder:
        return TFolderName::fnLinkToFolder;
    case TFolderName::fnFile:
        return TFolderName::fnLinkToFile;
    default:
        return TFolderName::fnOther;
    }
}

} // namespace

int ListFolderNames(const QString& folder, QList<TFolderName>& names)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (!d) {
            error = errno;
            break;
        }
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        names.append(TFolderName{QFile::decodeName(name), KindOf(dirfd(dir), d)});
    }
    closedir(dir);
    return error;
}
