#pragma once
// A child program whose standard output and standard error arrive through one pipe, read in pieces
// by the caller while it runs; its standard input is empty. Also the start of a program that nobody
// waits for.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <sys/types.h>

class TChildProcess
{
public:
    TChildProcess() = default;
    // Closes the pipe. A child that still runs is left running; it is reaped when it ends.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Creates the pipe that the child's output will go through. Returns 0 or errno.
    int openPipe();
    // Starts `program` (looked up in PATH when it holds no "/") with `arguments`, its output going into
    // the pipe (opened here when openPipe was not called). The child gets this process's environment
    // with `setVariables` added or replaced and `unsetVariables` removed. Returns 0, or the errno of
    // the failure (ENOENT when the program is not there); after a failure another program may be tried.
    int start(const QString& program, const QStringList& arguments,
              const QHash<QString, QString>& setVariables = {}, const QStringList& unsetVariables = {});

    // Waits at most `msecs` for the child to end; true once it has ended.
    bool waitForFinished(int msecs);
    // Bytes waiting in the pipe (0 when none, or when the pipe is closed).
    qint64 bytesAvailable() const;
    // Reads up to `maxSize` bytes; blocks only when nothing is waiting. Empty at the end of the output.
    QByteArray read(qint64 maxSize);
    // Asks the child to end (SIGTERM); does nothing once it has ended.
    void terminate();

    bool isStarted() const { return pid > 0; }
    bool hasFinished() const { return finished; }
    // After the end: whether the child called exit, and with which code; or the signal that ended it.
    bool exitedNormally() const { return finished && exitedByItself; }
    int exitCode() const { return exitStatus; }
    int exitSignal() const { return endingSignal; }
    pid_t processId() const { return pid; }

    // Starts a program without a pipe and without waiting for it; standard input, output and error
    // are the null device. True when it was started.
    static bool StartDetached(const QString& program, const QStringList& arguments,
                              const QHash<QString, QString>& setVariables = {},
                              const QStringList& unsetVariables = {});

private:
    bool reap(bool block);
    void closePipe();

    pid_t pid = 0;
    int pidFd = -1;
    int outputFd = -1;
    int inputFd = -1; // the pipe's write end until a child has it
    bool finished = false;
    bool exitedByItself = false;
    int exitStatus = 0;
    int endingSignal = 0;
};
