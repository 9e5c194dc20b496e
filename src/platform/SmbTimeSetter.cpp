#include "platform/SmbTimeSetter.h"

#include "platform/SmbContext.h"
#include "platform/SmbTimeService.h"
#include "platform/StandardFolders.h"

#include <cerrno>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

QString TSmbTimeSetter::defaultProgram()
{
    const QString folder = StandardFolders::programFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/zorvan-smbtimes");
}

TSmbTimeSetter::TSmbTimeSetter(const TSmbContext& owner, const QString& program)
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
    using namespace SmbTimeProtocol;
    if (!sendBlock(socket, owner.user().toUtf8()) || !sendBlock(socket, owner.password().toUtf8()))
        stop();
}

TSmbTimeSetter::~TSmbTimeSetter()
{
    wait();
    stop();
}

void TSmbTimeSetter::stop()
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

bool TSmbTimeSetter::start(const QByteArray& url, const timespec& when)
{
    if (socket < 0 || inFlight)
        return false;
    const qint64 time[2] = {qint64(when.tv_sec), qint64(when.tv_nsec)};
    using namespace SmbTimeProtocol;
    if (!sendBlock(socket, url) || !sendAll(socket, time, sizeof time)) {
        stop();
        return false;
    }
    inFlight = true;
    return true;
}

int TSmbTimeSetter::wait()
{
    if (!inFlight)
        return 0;
    inFlight = false;
    qint32 result = 0;
    if (!SmbTimeProtocol::receiveAll(socket, &result, sizeof result)) {
        stop();
        return EPIPE;
    }
    return result;
}
