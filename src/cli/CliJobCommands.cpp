#include "cli/CliJobCommands.h"

#include "cli/CliApp.h"
#include "cli/CliImageCommands.h"
#include "engine/FilesBackup.h"
#include "engine/FilesBackupRun.h"
#include "engine/MessageText.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "logs/EventsLog.h"
#include "platform/SmbPath.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <chrono>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {
const QString kRunning = QStringLiteral("Job is currently running.");

int jobNotFound(CliApp& app, const QString& name)
{
    app.err << "zorvanbackup-cli: no job named \"" << name << "\"\n";
    return CliApp::kUsage;
}

int jobIsRunning(CliApp& app, const TJob& job)
{
    app.err << "zorvanbackup-cli: " << job.stJobName << ": " << job.Translate(kRunning) << "\n";
    return CliApp::kCancelled;
}

// Extensions as the wizard keeps them: lower case, without dots or blanks, separated by ";".
QString normalizedExtensions(const QString& text)
{
    QStringList parts;
    for (QString part : text.split(QRegularExpression(QStringLiteral("[;,]")), Qt::SkipEmptyParts)) {
        part = part.trimmed().toLower();
        while (part.startsWith('.') || part.startsWith('*'))
            part.remove(0, 1);
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(';');
}

// A source as the job stores it: a folder as its path followed by "/*", a file as its path.
bool sourceEntry(const QString& given, QString& entry, QString& problem)
{
    const bool markedFolder = given.endsWith(QLatin1String("/*")) || given == QLatin1String("*");
    QString path = markedFolder ? given.chopped(given == QLatin1String("*") ? 1 : 2) : given;
    if (path.isEmpty() && markedFolder)
        path = QStringLiteral("/");
    path = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo info(path);
    if (markedFolder || info.isDir()) {
        entry = (path == QLatin1String("/") ? QString() : path) + QStringLiteral("/*");
        return true;
    }
    if (info.isFile()) {
        entry = path;
        return true;
    }
    problem = QStringLiteral("the source does not exist: %1 (write a folder as %1/* to add it while it is "
                             "missing)")
                  .arg(path);
    return false;
}

bool readPassword(const QString& file, QString& password)
{
    QFile in;
    const bool opened = file == QLatin1String("-") ? in.open(stdin, QIODevice::ReadOnly)
                                                   : (in.setFileName(file), in.open(QIODevice::ReadOnly));
    if (!opened)
        return false;
    password = QString::fromUtf8(in.readLine());
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    return true;
}

// The events of a command that went well, as the program's events panel would show them.
void printEventsTo(QTextStream& stream)
{
    for (const QString& line : EventsQueue().takeAll())
        stream << line << '\n';
}

int resultCode(const TJob& job)
{
    if (job.LastJobResult.Cancelled)
        return CliApp::kCancelled;
    if (job.LastJobResult.ErrorsCount > 0)
        return CliApp::kFinishedWithErrors;
    if (job.LastJobResult.WarningsCount > 0)
        return CliApp::kFinishedWithWarnings;
    return CliApp::kOk;
}

int terminalWidth()
{
    winsize size{};
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
}

// The live line on a terminal: files copied, bytes, the current file and its percentage.
QString progressLine(const TJob& job, int width)
{
    QString line = QStringLiteral("%1 files, %2")
                       .arg(job.CurrentBackupFilesProcessed.load())
                       .arg(FormatByteSize(job.CurrentBackupSize.load()));
    if (job.JobStatus.load() == jsPaused)
        line += QStringLiteral(" - paused");
    const QString path = job.CurrentFileOperationPath.get();
    if (!path.isEmpty())
        line += QStringLiteral(" - %1% %2").arg(job.CurrentFileOperationProgress.load()).arg(path);
    if (line.size() >= width)
        line = line.left(width - 2) + QChar(0x2026);
    return line;
}

bool isWarningOrError(const TJob& job, const QString& line)
{
    return line.contains(job.Translate(QStringLiteral("ERROR:"))) ||
           line.contains(job.Translate(QStringLiteral("WARNING:")));
}
} // namespace

QString JobCommandsHelp()
{
    return QStringLiteral(
        "  create NAME --source PATH... --dest PATH [--type mirror|full|incremental]\n"
        "         [--full-every N] [--keep-full N] [--remove-before] [--include EXT;...|--exclude EXT;...]\n"
        "         [--user U --password-file FILE]\n"
        "                        a files-and-folders job; a folder source is backed up with its contents\n"
        "  create NAME --kind image --dest PATH --volume V... [--keep-versions N]\n"
        "         [--user U --password-file FILE]\n"
        "                        a drive image job of the volumes (mount points, devices or image files)\n"
        "  backup NAME           one backup of the job in the foreground; Ctrl-C cancels it\n"
        "  remove NAME [--with-backups]\n"
        "                        the job, and with --with-backups its backups on the storage\n");
}

int RunCreateCommand(CliApp& app, const QStringList& args)
{
    if (CliImageCommands::IsImageCreate(args))
        return CliImageCommands::RunCreateImageJob(app, args);
    QString name;
    QStringList sources;
    QString destination;
    TBackupSettings backup;
    TFilterType filter = ftNoFilters;
    QString extensions;
    QString user;
    QString passwordFile;
    bool passwordGiven = false;
    const auto usage = [&app](const QString& text) {
        return app.usageError(QStringLiteral("create: ") + text);
    };
    const auto count = [](const QString& text, qint32& value) {
        bool ok = false;
        value = text.toInt(&ok);
        return ok && value >= 0;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--source")) {
            if (!hasValue || args[i + 1].startsWith(QLatin1String("--")))
                return usage(QStringLiteral("--source needs a path"));
            while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"))) {
                QString entry;
                QString problem;
                if (!sourceEntry(args[++i], entry, problem))
                    return usage(problem);
                sources.append(entry);
            }
        } else if (arg == QLatin1String("--dest") && hasValue) {
            destination = args[++i];
        } else if (arg == QLatin1String("--type") && hasValue) {
            const QString type = args[++i];
            if (type == QLatin1String("mirror"))
                backup.BackupType = btSync;
            else if (type == QLatin1String("full"))
                backup.BackupType = btFull;
            else if (type == QLatin1String("incremental"))
                backup.BackupType = btInc;
            else
                return usage(QStringLiteral("--type is mirror, full or incremental"));
        } else if (arg == QLatin1String("--full-every") && hasValue) {
            if (!count(args[++i], backup.PerformFullBackup_EveryCopies))
                return usage(QStringLiteral("--full-every takes a number of 0 or more"));
        } else if (arg == QLatin1String("--keep-full") && hasValue) {
            if (!count(args[++i], backup.NumberFullCopiesToKeep))
                return usage(QStringLiteral("--keep-full takes a number of 0 or more"));
        } else if (arg == QLatin1String("--remove-before")) {
            backup.RemoveOldBackupsBeforeStartingNewBackup = true;
        } else if ((arg == QLatin1String("--include") || arg == QLatin1String("--exclude")) && hasValue) {
            if (filter != ftNoFilters)
                return usage(QStringLiteral("give either --include or --exclude, once"));
            filter = arg == QLatin1String("--include") ? ftIncludeOnly : ftExclude;
            extensions = normalizedExtensions(args[++i]);
            if (extensions.isEmpty())
                return usage(arg + QStringLiteral(" needs extensions such as \"txt;doc\""));
        } else if (arg == QLatin1String("--user") && hasValue) {
            user = args[++i];
        } else if (arg == QLatin1String("--password-file") && hasValue) {
            passwordFile = args[++i];
            passwordGiven = true;
        } else if (name.isNull() && !arg.startsWith(QLatin1String("--"))) {
            name = arg;
        } else {
            return usage(QStringLiteral("unexpected argument: %1").arg(arg));
        }
    }
    if (name.isNull() || sources.isEmpty() || destination.isEmpty())
        return usage(QStringLiteral("a job name, at least one --source and --dest are required"));
    if (!IsValidJobName(name))
        return usage(QStringLiteral("\"%1\" cannot name a job (no leading or trailing blanks, none of "
                                    "< > : \" / \\ | ? *)")
                         .arg(name));
    if (passwordGiven && user.isEmpty())
        return usage(QStringLiteral("--password-file goes with --user"));
    QString password;
    if (passwordGiven && !readPassword(passwordFile, password))
        return usage(QStringLiteral("cannot read the password file %1").arg(passwordFile));
    const bool network = IsSmbPath(destination);
    if (!network)
        destination = QDir::cleanPath(QDir(destination).absolutePath());
    else if (!user.isEmpty() && !passwordGiven)
        return usage(QStringLiteral("--user needs --password-file"));
    if (!network && !user.isEmpty())
        return usage(QStringLiteral("--user applies to network destinations only"));

    TJobCatalogue& jobs = app.catalogue();
    if (jobs.indexOfName(name) >= 0)
        return usage(QStringLiteral("a job named \"%1\" exists already").arg(name));
    auto job = std::make_unique<TJob_FilesAndFolders>(name);
    job->Settings.Sources.List = sources;
    job->Settings.Sources.FilterType = filter;
    job->Settings.Sources.Extensions = extensions;
    job->Settings.Backup = backup;
    job->NewSubfolderIsCreatedForEachBackup = backup.BackupType != btSync;
    job->DestinationType = network ? dtNetwork : dtExternalDevice;
    job->DestinationPath = destination;
    job->Destination_NetworkUsername = user;
    job->Destination_NetworkPassword = password;
    if (!job->SaveLocalJobFile(LocalJobFilePath(name))) {
        app.printEvents();
        return CliApp::kFinishedWithErrors;
    }
    jobs.append(std::move(job));
    if (!jobs.SaveJobsList()) {
        app.err << "zorvanbackup-cli: unable to save the jobs list " << JobsListFilePath() << "\n";
        return CliApp::kFinishedWithErrors;
    }
    app.out << "Job \"" << name << "\" is created.\n";
    return CliApp::kOk;
}

int RunBackupCommand(CliApp& app, const QStringList& args)
{
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return app.usageError(QStringLiteral("backup: one job name is required"));
    TJob* found = app.catalogue().findByName(args.first());
    if (!found)
        return jobNotFound(app, args.first());
    if (auto* image = dynamic_cast<TJob_DriveImage*>(found))
        return CliImageCommands::RunImageJobBackup(app, *image);
    auto* job = dynamic_cast<TJob_FilesAndFolders*>(found);
    if (!job)
        return jobNotFound(app, args.first());
    std::unique_ptr<TStopSignals> stop;
    if (QCoreApplication::instance())
        stop = std::make_unique<TStopSignals>();
    if (!job->isIdle() || !StartFilesAndFoldersBackup(*job))
        return jobIsRunning(app, *job);

    const bool terminal = isatty(STDOUT_FILENO) == 1;
    qsizetype printed = 0;
    bool cancelAsked = false;
    QString shown;
    QDeadlineTimer redraw(0);
    const auto clearLive = [&] {
        if (!shown.isEmpty())
            app.out << '\r' << QString(shown.size(), ' ') << '\r';
        shown.clear();
    };
    // The log grows while the run goes on; lines are printed as they come (on a terminal only the
    // warnings, errors and the closing lines, below a live progress line).
    const auto printNewLines = [&](bool final) {
        // Line by line: a copy of the whole log would make the worker copy it again on its next line.
        const TSharedStringList& log = job->LastJobResult.Log;
        for (const qsizetype size = log.size(); printed < size; ++printed) {
            const QString line = log.at(printed);
            if (terminal && !final && !isWarningOrError(*job, line))
                continue;
            if (terminal)
                clearLive();
            app.out << line << '\n';
        }
    };
    while (!job->isIdle()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (stop && stop->received() != 0 && !cancelAsked) {
            job->Cancel();
            cancelAsked = true;
        }
        printNewLines(false);
        if (terminal && redraw.hasExpired()) {
            redraw.setRemainingTime(200);
            const QString line = progressLine(*job, terminalWidth());
            if (line != shown) {
                clearLive();
                app.out << line;
                shown = line;
            }
        }
        app.out.flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (terminal) {
        clearLive();
        // The closing part of the log: from the last separator on.
        const QStringList log = job->LastJobResult.Log.snapshot();
        printed = log.lastIndexOf(QStringLiteral("-----------------------------"));
        if (printed < 0)
            printed = log.size();
    }
    printNewLines(true);
    EventsQueue().takeAll(); // the events repeat the log's closing lines
    app.out.flush();
    return resultCode(*job);
}

int RunRemoveCommand(CliApp& app, const QStringList& args)
{
    QString name;
    bool withBackups = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--with-backups"))
            withBackups = true;
        else if (name.isNull() && !arg.startsWith(QLatin1String("--")))
            name = arg;
        else
            return app.usageError(QStringLiteral("remove: unexpected argument: %1").arg(arg));
    }
    if (name.isNull())
        return app.usageError(QStringLiteral("remove: a job name is required"));
    TJobCatalogue& jobs = app.catalogue();
    const int index = jobs.indexOfName(name);
    if (index < 0)
        return jobNotFound(app, name);
    TJob* job = jobs.at(index);
    auto* files = dynamic_cast<TJob_FilesAndFolders*>(job);
    if (withBackups && !files)
        return app.usageError(
            QStringLiteral("remove: the backups of drive image job \"%1\" are removed from the program")
                .arg(job->stJobName));
    if (!job->isIdle() || IsJobRunLocked(job->stJobName))
        return jobIsRunning(app, *job);
    int code = CliApp::kOk;
    if (withBackups) {
        if (RemoveFilesAndFoldersBackups(*files)) {
            AddEvent(job->Translate(
                QStringLiteral("The backup folder has been removed successfully on the storage device.")));
        } else {
            app.printEvents();
            app.err << job->Translate(QStringLiteral("Unable to remove the backup folder.")) << "\n\n"
                    << job->Translate(
                           QStringLiteral("Make sure the storage device is connected. Then remove it "
                                          "manually"))
                    << "\n";
            code = CliApp::kFinishedWithErrors;
        }
    }
    const QString jobFile = LocalJobFilePath(job->stJobName);
    if (QFile::exists(jobFile) && !QFile::remove(jobFile)) {
        AddEvent(job->Translate(QStringLiteral("Error: unable to remove the file:")) + jobFile);
        app.printEvents();
        return CliApp::kFinishedWithErrors;
    }
    jobs.takeAt(index);
    if (jobs.SaveJobsList()) {
        AddEvent(Translate(QStringLiteral("Job is removed.")));
    } else {
        AddEvent(Translate(QStringLiteral("Error: unable to save the jobs list:")) + JobsListFilePath());
        app.printEvents();
        return CliApp::kFinishedWithErrors;
    }
    printEventsTo(app.out);
    return code;
}
