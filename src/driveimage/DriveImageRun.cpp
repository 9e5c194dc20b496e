#include "driveimage/DriveImageRun.h"

#include "base/Placeholders.h"
#include "driveimage/ElevatedToolCommand.h"
#include "driveimage/ImageToolCommandLine.h"
#include "driveimage/ImageToolOutput.h"
#include "events/EventsLog.h"
#include "jobs/JobPaths.h"
#include "logs/RunLog.h"
#include "platform/ChildProcess.h"

#include <QDeadlineTimer>

#include <cstring>

void TDriveImageRun::Run()
{
    QString errorText;
    storageFolder = lifecycle.Open(errorText);
    if (storageFolder.isEmpty()) {
        lifecycle.ConnectionFailed(errorText);
        lifecycle.Finish(beforeIdle);
        return;
    }
    runConnected();
}

void TDriveImageRun::runConnected()
{
    lifecycle.PrepareConnected();
    job.CurrentFileOperationProgress = 0;
    job.CurrentFileOperationPath.clear();
    LogSeparatorLine(job);
    if (isCancelling()) {
        cancelledEnding();
    } else {
        runTool();
        afterTool();
    }
    closeConnectedRun();
}

void TDriveImageRun::runTool()
{
    using namespace ImageToolCommandLine;
    const QStringList arguments = WithCommand("start", "backup", BackupArguments(job));
    const QHash<QString, QString> variables = ToolEnvironment(job);
    // A password of this program's own environment never reaches a tool that was not meant to get one.
    const QStringList unset =
        variables.isEmpty() ? QStringList{QString::fromLatin1(kPasswordVariable)} : QStringList();
    job.CurrentFileOperationType = atNone;

    TChildProcess tool;
    if (tool.openPipe() != 0)
        return;
    int error = 0;
    for (const QString& variant : ToolVariants()) {
        error = tool.start(variant, arguments, variables, unset);
        if (error == 0) {
            startedVariant = variant;
            break;
        }
    }
    if (startedVariant.isEmpty()) {
        job.JobStatus = jsCancelling;
        LogLine(job, T("ERROR:") + QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    TImageToolOutputReader output(job);
    const qint32 errorsBefore = job.LastJobResult.ErrorsCount;
    watchTool(tool, output);
    if (isCancelling())
        stopTool(tool);
    else
        checkToolEnding(tool, errorsBefore);
}

void TDriveImageRun::watchTool(TChildProcess& tool, TImageToolOutputReader& output)
{
    auto readWaiting = [&] {
        // Reads only what is waiting, so that the loop never blocks on a quiet tool.
        while (tool.bytesAvailable() > 0) {
            const QByteArray chunk = tool.read(TImageToolOutputReader::kChunkSize);
            if (chunk.isEmpty())
                break;
            output.HandleChunk(chunk);
        }
    };
    for (;;) {
        // Once the tool has ended, everything it wrote is in the pipe: reading after the end of the
        // wait takes its last lines too, which often say why it failed.
        const bool ended = tool.waitForFinished(kPollMsecs);
        readWaiting();
        if (ended) {
            output.Finish();
            return;
        }
        if (isCancelling())
            return;
    }
}

void TDriveImageRun::stopTool(TChildProcess& tool)
{
    if (tool.hasFinished())
        return;
    ElevatedToolCommand::Start(startedVariant,
                               ImageToolCommandLine::WithCommand("stop", "job", {QStringLiteral("-quiet")}));
    // The tool is this run's own child: it is also asked directly, so that it stops even when the
    // elevated command is refused, and the run waits until the tool has removed its unfinished version.
    tool.terminate();
    QDeadlineTimer deadline(kStopWaitMsecs);
    while (!tool.waitForFinished(kPollMsecs) && !deadline.hasExpired())
        while (tool.bytesAvailable() > 0 && !tool.read(TImageToolOutputReader::kChunkSize).isEmpty()) {
        }
}

void TDriveImageRun::checkToolEnding(const TChildProcess& tool, qint32 errorsBefore)
{
    // A tool that failed without saying so in its output (it crashed, or was stopped from outside)
    // made no backup: the run must not pass for a clean one.
    if (!tool.hasFinished() || (tool.exitedNormally() && tool.exitCode() == 0) ||
        job.LastJobResult.ErrorsCount > errorsBefore)
        return;
    const QString code = tool.exitedNormally()
                             ? QString::number(tool.exitCode())
                             : QStringLiteral("signal ") + QString::number(tool.exitSignal());
    LogError(job, FillPlaceholders(T("The backup tool ended without completing the backup (exit code %s)."),
                                   {code}));
}

void TDriveImageRun::afterTool()
{
    using namespace ImageToolCommandLine;
    if (isCancelling()) {
        cancelledEnding();
        return;
    }
    if (job.Settings.AutocleanOldBackups && job.LastJobResult.ErrorsCount == 0 && !startedVariant.isEmpty())
        ElevatedToolCommand::Start(
            startedVariant,
            WithCommand("delete", "backup", DeleteArguments(job, job.Settings.NumberOfBackupVersionsToKeep)),
            ToolEnvironment(job));
    const QString localJobFile = JobTempRemoteJobFile(job);
    job.SaveRemoteJobFile(localJobFile);
    if (!isCancelling() &&
        job.FileOperation(atCopyFromLocalToRemoteFile, localJobFile, storageFolder + QStringLiteral(".kxj"),
                          job.JobOptions.Processing.IfDestinationNotAvailable_Retry_Times, true) != orSuccess)
        job.JobStatus = jsCancelling;
}

void TDriveImageRun::cancelledEnding()
{
    lifecycle.Cancelled();
    endedCancelled = true;
}

void TDriveImageRun::closeConnectedRun()
{
    // The tool's own output has told how the backup went: a finished run closes with an empty line.
    if (!endedCancelled)
        LogPlain(job, QString());
    lifecycle.CloseConnected();
    lifecycle.Finish(beforeIdle);
}
