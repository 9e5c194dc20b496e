#include "platform/SmbTimeService.h"

#include "platform/SmbContext.h"

#include <libsmbclient.h>

#include <cerrno>
#include <sys/socket.h>
#include <sys/time.h>

namespace SmbTimeProtocol {

namespace {

constexpr quint32 kLongestBlock = 1 << 20;

}

bool sendAll(int socket, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(socket, bytes, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

bool receiveAll(int socket, void* data, size_t size)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(socket, bytes, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
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

} // namespace SmbTimeProtocol

int RunSmbTimeService(int socket)
{
    using namespace SmbTimeProtocol;
    QByteArray user, password;
    if (!receiveBlock(socket, user) || !receiveBlock(socket, password))
        return 1;
    int error = 0;
    const std::shared_ptr<TSmbContext> session =
        TSmbContext::create(QString::fromUtf8(user), QString::fromUtf8(password), error);
    password.fill(0);

    for (;;) {
        QByteArray url;
        qint64 time[2];
        if (!receiveBlock(socket, url) || !receiveAll(socket, time, sizeof time))
            return 0; // the program closed the socket: done
        qint32 result = error;
        if (session) {
            timeval times[2];
            times[1].tv_sec = time_t(time[0]);
            times[1].tv_usec = suseconds_t(time[1] / 1000);
            times[0] = times[1];
            errno = 0;
            const int rc =
                smbc_getFunctionUtimes(session->handle())(session->handle(), url.constData(), times);
            result = rc == 0 ? 0 : (errno != 0 ? errno : EIO);
        }
        if (!sendAll(socket, &result, sizeof result))
            return 0;
    }
}
