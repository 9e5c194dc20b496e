#include "imagetool/StopCommand.h"

#include "imagetool/DurableFile.h"
#include "imagetool/OperationLock.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <csignal>

namespace {
constexpr qint64 kStopTimeoutMs = 60000;

// Guards against a lock file whose process number now belongs to another program.
bool isImageTool(qint64 pid)
{
    const QString program = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    return QFileInfo(program).fileName().startsWith(QStringLiteral("zorvan-imagetool"));
}
} // namespace

TStopCommand::TStopCommand(TToolConsole& console) : console(console) {}

int TStopCommand::Run()
{
    for (const QString& path : TOperationLock::CandidateLockPaths()) {
        const qint64 pid = TOperationLock::HolderOf(path);
        if (pid <= 0 || !isImageTool(pid))
            continue;
        console.Line(
            QStringLiteral("Stopping the running backup or recovery operation (process %1).").arg(pid));
        if (::kill(pid_t(pid), SIGTERM) != 0) {
            console.Error(QStringLiteral("The running operation cannot be stopped: %1.")
                              .arg(DurableFile::ErrorText(errno)));
            return ecFailed;
        }
        QElapsedTimer waited;
        waited.start();
        while (TOperationLock::HolderOf(path) == pid) {
            if (waited.elapsed() > kStopTimeoutMs) {
                console.Error(QStringLiteral("The running operation did not stop within %1 seconds.")
                                  .arg(kStopTimeoutMs / 1000));
                return ecFailed;
            }
            QThread::msleep(100);
        }
        console.Line(QStringLiteral("The running operation was stopped."));
        return ecSuccess;
    }
    console.Line(QStringLiteral("There is no backup or recovery operation in progress."));
    return ecSuccess;
}
