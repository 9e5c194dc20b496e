#include "platform/SmbHelper.h"

#include "platform/SmbContext.h"
#include "platform/SmbHelperService.h"
#include "platform/StandardFolders.h"

#include <cerrno>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

QString TSmbHelper::defaultProgram()
{
    const QString folder = StandardFolders::programFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/zorvan-smbhelper");
}

TSmbHelper::TSmbHelper(const TSmbContext& owner, const QString& program)
{
    const QByteArray path = (program.isEmpty() ? defaultProgram() : program).toLocal8Bit();
    if (path.isEmpty() || ::access(path.constData(), X_OK) != 0)
        return;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    char* const arguments[] = {const_cast<char*>(path.constData()), nullptr};
    const int spawned = ::posix_spawn(&child, path.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    socket = ends[0];
    if (spawned != 0) {
        child = -1;
        stop();
        return;
    }
    using namespace SmbHelperProtocol;
    if (!sendBlock(socket, owner.user().toUtf8()) || !sendBlock(socket, owner.password().toUtf8()))
        stop();
}

TSmbHelper::~TSmbHelper()
{
    wait();
    stop();
}

void TSmbHelper::stop()
{
    if (socket >= 0)
        ::close(socket); // the helper ends at the end of its input
    socket = -1;
    inFlight = false;
    if (child > 0) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    child = -1;
}

bool TSmbHelper::startRequest(char kind, int fd, const QByteArray& url, const qint64 (&numbers)[2],
                              bool withPayload)
{
    if (socket < 0 || inFlight)
        return false;
    using namespace SmbHelperProtocol;
    if (!sendByteWithFile(socket, kind, fd) ||
        (withPayload && (!sendBlock(socket, url) || !sendAll(socket, numbers, sizeof numbers)))) {
        stop();
        return false;
    }
    inFlight = true;
    inFlightKind = kind;
    return true;
}

bool TSmbHelper::startSetTime(const QByteArray& url, const timespec& when)
{
    return startRequest(SmbHelperProtocol::kSetTime, -1, url, {qint64(when.tv_sec), qint64(when.tv_nsec)},
                        true);
}

bool TSmbHelper::startWrite(const QByteArray& url, int fd, qint64 offset, qint64 length)
{
    return startRequest(SmbHelperProtocol::kWrite, fd, url, {offset, length}, true);
}

bool TSmbHelper::startClose()
{
    return startRequest(SmbHelperProtocol::kClose, -1, QByteArray(), {0, 0}, false);
}

int TSmbHelper::wait()
{
    if (!inFlight)
        return 0;
    inFlight = false;
    qint32 result = 0;
    writtenBytes = 0;
    using namespace SmbHelperProtocol;
    if (!receiveAll(socket, &result, sizeof result) ||
        (inFlightKind == kWrite && (!receiveAll(socket, &writtenBytes, sizeof writtenBytes) ||
                                    !receiveAll(socket, writtenDigest.data(), writtenDigest.size())))) {
        writtenBytes = 0;
        stop();
        return EPIPE;
    }
    return result;
}
