#include "imagetool/DurableFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {

int Write(const QString& path, const QByteArray& content, int mode)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        return errno;
    const char* data = content.constData();
    qsizetype left = content.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(fd, data, std::size_t(left));
        if (written < 0 && errno != EINTR)
            error = errno;
        else if (written > 0) {
            data += written;
            left -= written;
        }
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

int SyncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

int MakeFolder(const QString& path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0755) == 0 || errno == EEXIST)
        return 0;
    return errno;
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace DurableFile
