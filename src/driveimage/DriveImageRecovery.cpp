#include "driveimage/DriveImageRecovery.h"

#include "base/DateTime.h"
#include "base/Placeholders.h"
#include "driveimage/ImageToolCommandLine.h"
#include "driveimage/ImageToolOutput.h"
#include "events/EventsLog.h"
#include "jobs/JobNames.h"
#include "jobs/uJob_DriveImage.h"
#include "logs/RunLog.h"
#include "operations/RunLifecycle.h"
#include "platform/ChildProcess.h"
#include "platform/ElevationCommand.h"
#include "platform/JobRunLock.h"
#include "platform/SystemVolumes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace ImageToolCommandLine;

QString T(const TJob& job, const char* text)
{
    return job.Translate(QString::fromUtf8(text));
}

// A word of a shell line: as it stands when it holds nothing a shell reads specially, else in
// double quotes.
QString shellWord(const QString& word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:,+@=%-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// "-name:value" with the value as a shell word, so that the shell passes the option as one word.
QString shellOption(const QString& argument)
{
    const qsizetype colon = argument.indexOf(':');
    QString value = argument.mid(colon + 1);
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return argument.left(colon + 1) + shellWord(value);
}

QString valueAfter(const QString& line, const QString& label)
{
    return line.startsWith(label) ? line.mid(label.size()).trimmed() : QString();
}

qint64 blockDeviceSize(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::close(fd);
    return size;
}

// The tool as this process starts it: directly when it has root rights, else through the system's
// elevation command. A network password reaches the tool only through its environment, which the
// elevation command does not pass on: such a recovery runs with the user's own rights.
QStringList toolCommandLine(const QString& executable, const QStringList& arguments, bool elevate)
{
    if (!elevate || IsProcessElevated())
        return QStringList{executable} + arguments;
    return TElevationCommand(executable).commandLine(arguments);
}

// Runs the tool to its end, handing its output to `chunk` as it comes; `stop` is asked between reads.
// Returns the started variant's executable, empty when the tool could not be started (errno in `error`).
QString runTool(TChildProcess& tool, const QStringList& arguments, const QHash<QString, QString>& variables,
                bool elevate, int& error)
{
    const QStringList unset =
        variables.isEmpty() ? QStringList{QString::fromLatin1(kPasswordVariable)} : QStringList();
    error = ENOENT;
    for (const QString& variant : ToolVariants()) {
        const QString executable = ToolExecutable(variant);
        if (executable.isEmpty())
            continue;
        const QStringList line = toolCommandLine(executable, arguments, elevate && variables.isEmpty());
        error = tool.start(line.first(), line.mid(1), variables, unset);
        if (error == 0)
            return executable;
    }
    return {};
}

class TRecoveryRun
{
public:
    TRecoveryRun(TJob_DriveImage& job, const TRecoveryRequest& request) : job(job), request(request) {}

    void Run(const std::function<void()>& beforeIdle)
    {
        lifecycle.Start();
        const QString starting = FillPlaceholders(T(job, "Starting the \"%s\" recovery of volume %s to %s."),
                                                  {job.stJobName, request.Volume, request.Target});
        LogLine(job, starting);
        AddEvent(starting);
        job.AddEventtoBackupHistory(FillPlaceholders(T(job, "Starting the recovery of volume %s to %s."),
                                                     {request.Volume, request.Target}),
                                    false);
        LogSeparatorLine(job);
        lifecycle.EnsureLogFolder();
        const qint32 errorsBefore = job.LastJobResult.ErrorsCount;
        if (!isCancelling())
            runRecovery(errorsBefore);
        if (isCancelling()) {
            lifecycle.Cancelled();
        } else {
            const bool failed = job.LastJobResult.ErrorsCount > errorsBefore;
            AddEvent(FillPlaceholders(failed ? T(job, "\"%s\" recovery ended with errors.")
                                             : T(job, "\"%s\" recovery is finished."),
                                      {job.stJobName}));
        }
        LogPlain(job, QString());
        SaveRunLogAndPrune(job, lifecycle.startTime());
        lifecycle.Finish(beforeIdle);
    }

private:
    bool isCancelling() const { return job.JobStatus.load() == jsCancelling; }

    void runRecovery(qint32 errorsBefore)
    {
        TChildProcess tool;
        if (tool.openPipe() != 0)
            return;
        int error = 0;
        const QString executable = runTool(
            tool, WithCommand("start", "recovery", DriveImageRecovery::RecoveryArguments(job, request, true)),
            ToolEnvironment(job), true, error);
        if (executable.isEmpty()) {
            LogError(job, T(job, "The image tool cannot be started:") + ' ' +
                              QString::fromLocal8Bit(std::strerror(error)));
            return;
        }
        TImageToolOutputReader output(job);
        for (;;) {
            const bool ended = tool.waitForFinished(100);
            while (tool.bytesAvailable() > 0) {
                const QByteArray chunk = tool.read(TImageToolOutputReader::kChunkSize);
                if (chunk.isEmpty())
                    break;
                output.HandleChunk(chunk);
            }
            if (ended) {
                output.Finish();
                break;
            }
            if (isCancelling()) {
                stop(tool);
                return;
            }
        }
        if (tool.exitedNormally() && tool.exitCode() == 0)
            return;
        if (job.LastJobResult.ErrorsCount == errorsBefore)
            LogError(job, FillPlaceholders(T(job, "The recovery tool ended without completing the recovery "
                                                  "(exit code %s)."),
                                           {QString::number(tool.exitedNormally() ? tool.exitCode() : -1)}));
    }

    // The tool stops at the next piece it writes; the wait lets it close the target cleanly.
    void stop(TChildProcess& tool)
    {
        TChildProcess stopper;
        int error = 0;
        runTool(stopper, WithCommand("stop", "job", {QStringLiteral("-quiet")}), {}, true, error);
        tool.terminate();
        QDeadlineTimer deadline(60000);
        while (!tool.waitForFinished(100) && !deadline.hasExpired())
            while (tool.bytesAvailable() > 0 && !tool.read(TImageToolOutputReader::kChunkSize).isEmpty()) {
            }
        stopper.waitForFinished(10000);
    }

    TJob_DriveImage& job;
    TRecoveryRequest request;
    TRunLifecycle lifecycle{job, rkRestore};
};

} // namespace

namespace DriveImageRecovery {

QStringList JobVolumes(const TJob_DriveImage& job)
{
    QStringList volumes;
    for (const QString& entry : job.Settings.SourceDrivesList)
        if (!VolumeOf(entry).isEmpty() && !volumes.contains(VolumeOf(entry)))
            volumes.append(VolumeOf(entry));
    return volumes;
}

QString VolumeLocation(const QString& volume, const TMountTable& mounts)
{
    const TMountEntry* mount = mounts.FindMountPoint(volume);
    if (mount && mount->Source.startsWith('/'))
        return mount->Source;
    return volume;
}

QList<TImageVersionInfo> ParseVersions(const QString& output)
{
    QList<TImageVersionInfo> versions;
    TImageVersionInfo current;
    for (const QString& rawLine : output.split('\n')) {
        const QString line = rawLine.trimmed();
        if (const QString time = valueAfter(line, QStringLiteral("Backup time:")); !time.isEmpty())
            current = TImageVersionInfo{QString(), time, QString()};
        else if (const QString id = valueAfter(line, QStringLiteral("Version identifier:")); !id.isEmpty())
            current.Identifier = id;
        else if (const QString volumes = valueAfter(line, QStringLiteral("Volumes:")); !volumes.isEmpty()) {
            current.Volumes = volumes;
            if (!current.Identifier.isEmpty())
                versions.append(current);
        }
    }
    return versions;
}

bool ReadVersions(const TJob_DriveImage& job, QList<TImageVersionInfo>& versions, QString& error)
{
    QStringList arguments = StorageArguments(job);
    arguments.append(QStringLiteral("-machine:") + QSysInfo::machineHostName());
    TChildProcess tool;
    int startError = 0;
    if (runTool(tool, WithCommand("get", "versions", arguments), ToolEnvironment(job), false, startError)
            .isEmpty()) {
        error = T(job, "The image tool cannot be started:") + ' ' +
                QString::fromLocal8Bit(std::strerror(startError));
        return false;
    }
    QByteArray output;
    for (bool ended = false; !ended;) {
        ended = tool.waitForFinished(100);
        while (tool.bytesAvailable() > 0)
            output += tool.read(TImageToolOutputReader::kChunkSize);
    }
    for (QByteArray piece = tool.read(4096); !piece.isEmpty(); piece = tool.read(4096))
        output += piece;
    const QString text = QString::fromUtf8(output);
    if (!tool.exitedNormally() || tool.exitCode() != 0) {
        QStringList errors;
        for (const QString& line : text.split('\n'))
            if (line.startsWith(QStringLiteral("ERROR")))
                errors.append(line.mid(5).trimmed());
        error = errors.isEmpty() ? text.trimmed() : errors.join('\n');
        return false;
    }
    versions = ParseVersions(text);
    return true;
}

QStringList RecoveryArguments(const TJob_DriveImage& job, const TRecoveryRequest& request, bool quiet)
{
    QStringList arguments{QStringLiteral("-version:") + request.Version,
                          QStringLiteral("-items:") + request.Volume};
    arguments += StorageArguments(job);
    arguments << QStringLiteral("-recoveryTarget:") + request.Target
              << QStringLiteral("-machine:") + QSysInfo::machineHostName();
    if (quiet)
        arguments.append(QStringLiteral("-quiet"));
    return arguments;
}

QString GuidanceCommandLine(const TJob_DriveImage& job, const TRecoveryRequest& request)
{
    QStringList words{QStringLiteral("sudo"), QStringLiteral("zorvan-imagetool"), QStringLiteral("start"),
                      QStringLiteral("recovery")};
    for (const QString& argument : RecoveryArguments(job, request, false))
        words.append(shellOption(argument));
    return words.join(' ');
}

bool CanRecoverNow(const QString& volume, const TMountTable& mounts)
{
    if (volume.isEmpty() || volume == QStringLiteral("/") || mounts.FindMountPoint(volume))
        return false;
    return SystemVolumes::InUseReason(volume, mounts).isEmpty();
}

QString TargetRefusal(const TJob_DriveImage& job, const QString& target, const TMountTable& mounts)
{
    if (target.trimmed().isEmpty())
        return Translate(QStringLiteral("Choose the drive or the volume file to recover onto."));
    struct stat info;
    if (::stat(QFile::encodeName(target).constData(), &info) != 0) {
        if (QFileInfo(target).dir().exists())
            return {};
        return FillPlaceholders(Translate(QStringLiteral("The folder of %s does not exist.")), {target});
    }
    if (!S_ISBLK(info.st_mode) && !S_ISREG(info.st_mode))
        return FillPlaceholders(Translate(QStringLiteral("%s is neither a drive nor a volume file.")),
                                {target});
    const QString storage = BackupTargetOf(job);
    if (S_ISBLK(info.st_mode) && job.DestinationType != dtNetwork &&
        SystemVolumes::FolderIsOnDevice(storage, info.st_rdev))
        return FillPlaceholders(
            Translate(QStringLiteral("%s holds the backup storage %s. A volume cannot be recovered onto the "
                                     "drive its backups are read from.")),
            {target, storage});
    const QString reason = SystemVolumes::InUseReason(target, mounts);
    if (!reason.isEmpty())
        return FillPlaceholders(Translate(QStringLiteral("%s cannot be overwritten: %s. Unmount it first.")),
                                {target, reason});
    return {};
}

QString TargetDescription(const QString& target)
{
    const QFileInfo info(target);
    qint64 size = -1;
    struct stat status;
    if (::stat(QFile::encodeName(target).constData(), &status) == 0)
        size = S_ISBLK(status.st_mode) ? blockDeviceSize(target) : info.size();
    if (size < 0)
        return target;
    return target + QStringLiteral(" (") + QLocale::system().formattedDataSize(size) + ')';
}

bool StartRecovery(TJob_DriveImage& job, const TRecoveryRequest& request)
{
    auto lock = std::make_unique<TJobRunLock>(FoldJobName(job.stJobName));
    if (!job.isIdle() || !lock->tryLock())
        return false;
    job.JobOperation = joRestore;
    job.LastJobResult.StartTime = Now();
    job.LastJobResult.EndTime = 0;
    job.LastJobResult.Cancelled = false;
    job.LastJobResult.ErrorsCount = 0;
    job.LastJobResult.WarningsCount = 0;
    job.LastJobResult.Log.clear();
    job.OptionsToJobOptions();
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationProgress = 0;
    job.CurrentFileOperationPath.set(FillPlaceholders(T(job, "Recovering volume %s"), {request.Volume}));
    job.JobStatus = jsRunning;
    StartBackupWorker(job, std::move(lock), [&job, request](const std::function<void()>& releaseLock) {
        TRecoveryRun(job, request).Run(releaseLock);
    });
    return true;
}

} // namespace DriveImageRecovery
