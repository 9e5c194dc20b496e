#include "platform/ChildProcess.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPollStepMsecs = 10;

QProcessEnvironment childEnvironment(const QHash<QString, QString>& setVariables,
                                     const QStringList& unsetVariables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unsetVariables)
        environment.remove(name);
    for (auto it = setVariables.begin(); it != setVariables.end(); ++it)
        environment.insert(it.key(), it.value());
    return environment;
}

// A null-terminated array of pointers into `strings`, for the exec family.
std::vector<char*> pointersTo(QByteArrayList& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(std::size_t(strings.size()) + 1);
    for (QByteArray& string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

int openPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

} // namespace

TChildProcess::~TChildProcess()
{
    closePipe();
    if (pid > 0 && !finished && !reap(false)) {
        // Nobody waits for it any more; the thread collects its exit status so that it leaves no zombie.
        const pid_t running = pid;
        std::thread([running] {
            int status = 0;
            while (::waitpid(running, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
    if (pidFd >= 0)
        ::close(pidFd);
}

int TChildProcess::openPipe()
{
    if (outputFd >= 0)
        return 0;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    outputFd = fds[0];
    inputFd = fds[1];
    return 0;
}

int TChildProcess::start(const QString& program, const QStringList& arguments,
                         const QHash<QString, QString>& setVariables, const QStringList& unsetVariables)
{
    if (pid > 0)
        return EBUSY;
    if (inputFd < 0) {
        closePipe();
        if (const int error = openPipe())
            return error;
    }

    QByteArrayList argv{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        argv.append(argument.toLocal8Bit());
    QByteArrayList envp;
    for (const QString& entry : childEnvironment(setVariables, unsetVariables).toStringList())
        envp.append(entry.toLocal8Bit());
    std::vector<char*> argvPointers = pointersTo(argv);
    std::vector<char*> envpPointers = pointersTo(envp);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, inputFd, 1);
    posix_spawn_file_actions_adddup2(&actions, inputFd, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The child starts with every signal at its default and none blocked, whatever this process set.
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t child = 0;
    const int error = ::posix_spawnp(&child, argv.first().constData(), &actions, &attributes,
                                     argvPointers.data(), envpPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return error;
    // The child holds the write end now: the output ends when the child (and whatever it started) ends.
    ::close(inputFd);
    inputFd = -1;
    pid = child;
    pidFd = openPidFd(pid);
    finished = false;
    return 0;
}

bool TChildProcess::reap(bool block)
{
    if (pid <= 0 || finished)
        return finished;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result != pid)
        return false;
    finished = true;
    exitedByItself = WIFEXITED(status);
    exitStatus = exitedByItself ? WEXITSTATUS(status) : 0;
    endingSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (pidFd >= 0) {
        ::close(pidFd);
        pidFd = -1;
    }
    return true;
}

bool TChildProcess::waitForFinished(int msecs)
{
    if (pid <= 0 || finished)
        return true;
    if (pidFd >= 0) {
        pollfd entry{pidFd, POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&entry, 1, msecs);
        } while (ready < 0 && errno == EINTR);
        return reap(false);
    }
    for (int waited = 0;; waited += kPollStepMsecs) {
        if (reap(false))
            return true;
        if (waited >= msecs)
            return false;
        ::usleep(kPollStepMsecs * 1000);
    }
}

qint64 TChildProcess::bytesAvailable() const
{
    int count = 0;
    if (outputFd < 0 || ::ioctl(outputFd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

QByteArray TChildProcess::read(qint64 maxSize)
{
    if (outputFd < 0 || maxSize <= 0)
        return {};
    QByteArray buffer(maxSize, Qt::Uninitialized);
    ssize_t count;
    do {
        count = ::read(outputFd, buffer.data(), std::size_t(maxSize));
    } while (count < 0 && errno == EINTR);
    buffer.resize(count > 0 ? count : 0);
    return buffer;
}

void TChildProcess::terminate()
{
    if (pid > 0 && !finished && !reap(false))
        ::kill(pid, SIGTERM);
}

void TChildProcess::closePipe()
{
    for (int* fd : {&outputFd, &inputFd})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

bool TChildProcess::StartDetached(const QString& program, const QStringList& arguments,
                                  const QHash<QString, QString>& setVariables,
                                  const QStringList& unsetVariables)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(childEnvironment(setVariables, unsetVariables));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}
