#include "platform/SmbHelperService.h"

#include "base/ContentChecksum.h"
#include "platform/FileSystemLocal.h"
#include "platform/SmbContext.h"

#include <libsmbclient.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace SmbHelperProtocol {

namespace {

constexpr quint32 kLongestBlock = 1 << 20;

// Runs `step` (send or recv) until `size` bytes have gone through.
template <typename Step> bool transferAll(char* bytes, size_t size, Step step)
{
    while (size > 0) {
        const ssize_t n = step(bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

bool sendAll(int socket, const void* data, size_t size)
{
    return transferAll(
        const_cast<char*>(static_cast<const char*>(data)), size,
        [socket](char* bytes, size_t left) { return ::send(socket, bytes, left, MSG_NOSIGNAL); });
}

bool receiveAll(int socket, void* data, size_t size)
{
    return transferAll(static_cast<char*>(data), size,
                       [socket](char* bytes, size_t left) { return ::recv(socket, bytes, left, 0); });
}

bool sendBlock(int socket, const QByteArray& block)
{
    const quint32 size = quint32(block.size());
    return sendAll(socket, &size, sizeof size) && sendAll(socket, block.constData(), size);
}

bool receiveBlock(int socket, QByteArray& block)
{
    quint32 size = 0;
    if (!receiveAll(socket, &size, sizeof size) || size > kLongestBlock)
        return false;
    block.resize(qsizetype(size));
    return receiveAll(socket, block.data(), size);
}

bool sendByteWithFile(int socket, char byte, int fd)
{
    iovec part{&byte, 1};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    if (fd >= 0) {
        std::memset(control, 0, sizeof control);
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof(int));
    }
    for (;;) {
        const ssize_t n = ::sendmsg(socket, &message, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        return n == 1;
    }
}

bool receiveByteWithFile(int socket, char& byte, int& fd)
{
    fd = -1;
    iovec part{&byte, 1};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    do
        n = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    while (n < 0 && errno == EINTR);
    if (n != 1)
        return false;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
            std::memcpy(&fd, CMSG_DATA(header), sizeof(int));
    }
    return true;
}

} // namespace SmbHelperProtocol

namespace {

int lastError()
{
    return errno != 0 ? errno : EIO;
}

// The helper's side of the session: at most one file open for writing at a time.
class TSmbHelperSession
{
public:
    explicit TSmbHelperSession(std::shared_ptr<TSmbContext> session) : smb(std::move(session)) {}
    ~TSmbHelperSession() { close(); }

    int setTime(const QByteArray& url, qint64 seconds, qint64 nanoseconds)
    {
        timeval times[2];
        times[1].tv_sec = time_t(seconds);
        times[1].tv_usec = suseconds_t(nanoseconds / 1000);
        times[0] = times[1];
        errno = 0;
        return smbc_getFunctionUtimes(smb->handle())(smb->handle(), url.constData(), times) == 0
                   ? 0
                   : lastError();
    }

    // `done` and `digest` tell the bytes written (all of the part that the source still had).
    int write(const QByteArray& url, int source, qint64 offset, qint64 length, qint64& done,
              TChecksumDigest& digest)
    {
        done = 0;
        if (!file || url != fileUrl) {
            if (const int error = close(); error != 0)
                return error;
            errno = 0;
            file = smbc_getFunctionOpen(smb->handle())(smb->handle(), url.constData(), O_WRONLY, 0);
            if (!file)
                return lastError();
            fileUrl = url;
        }
        errno = 0;
        if (smbc_getFunctionLseek(smb->handle())(smb->handle(), file, off_t(offset), SEEK_SET) < 0)
            return lastError();
        buffer.resize(size_t(length));
        // A file that became shorter since the copy began: what is there is written.
        const qint64 read = ReadFileAt(source, buffer.data(), length, offset);
        if (read < 0)
            return int(-read);
        qint64 written = 0;
        while (written < read) {
            errno = 0;
            const ssize_t n = smbc_getFunctionWrite(smb->handle())(
                smb->handle(), file, buffer.data() + written, size_t(read - written));
            if (n <= 0)
                return n < 0 ? lastError() : EIO;
            written += n;
        }
        done = read;
        digest = ChunkDigest(buffer.data(), size_t(read));
        return 0;
    }

    int close()
    {
        if (!file)
            return 0;
        errno = 0;
        const int rc = smbc_getFunctionClose(smb->handle())(smb->handle(), file);
        file = nullptr;
        fileUrl.clear();
        return rc == 0 ? 0 : lastError();
    }

private:
    std::shared_ptr<TSmbContext> smb;
    SMBCFILE* file = nullptr;
    QByteArray fileUrl;
    std::vector<char> buffer;
};

} // namespace

int RunSmbHelperService(int socket)
{
    using namespace SmbHelperProtocol;
    QByteArray user, password;
    if (!receiveBlock(socket, user) || !receiveBlock(socket, password))
        return 1;
    int sessionError = 0;
    std::shared_ptr<TSmbContext> context =
        TSmbContext::create(QString::fromUtf8(user), QString::fromUtf8(password), sessionError);
    password.fill(0);
    std::unique_ptr<TSmbHelperSession> session;
    if (context)
        session = std::make_unique<TSmbHelperSession>(std::move(context));

    for (;;) {
        char kind = 0;
        int fd = -1;
        if (!receiveByteWithFile(socket, kind, fd))
            return 0; // the program closed the socket: done
        qint32 result = session ? 0 : sessionError;
        qint64 written = 0;
        TChecksumDigest digest{};
        bool ok = true;
        if (kind == kSetTime) {
            QByteArray url;
            qint64 time[2];
            ok = receiveBlock(socket, url) && receiveAll(socket, time, sizeof time);
            if (ok && session)
                result = session->setTime(url, time[0], time[1]);
        } else if (kind == kWrite) {
            QByteArray url;
            qint64 range[2];
            ok = receiveBlock(socket, url) && receiveAll(socket, range, sizeof range);
            if (ok && session)
                result = fd < 0 ? EBADF : session->write(url, fd, range[0], range[1], written, digest);
        } else if (kind == kClose) {
            if (session)
                result = session->close();
        } else {
            ok = false;
        }
        if (fd >= 0)
            ::close(fd);
        if (!ok || !sendAll(socket, &result, sizeof result) ||
            (kind == kWrite &&
             (!sendAll(socket, &written, sizeof written) || !sendAll(socket, digest.data(), digest.size()))))
            return ok ? 0 : 1;
    }
}
