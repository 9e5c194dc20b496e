#include "cli/CliImageCommands.h"

#include "cli/CliApp.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "platform/SmbPath.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <chrono>
#include <memory>
#include <thread>

namespace {

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

// The first line of `file` ("-": standard input).
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

} // namespace

namespace CliImageCommands {

bool IsImageCreate(const QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--kind"));
    return at >= 0 && at + 1 < args.size() && args.at(at + 1) == QStringLiteral("image");
}

int RunCreateImageJob(CliApp& app, const QStringList& args)
{
    QString name;
    QString destination;
    QString user;
    QString keepVersions;
    QStringList volumes;
    QString passwordFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == "--kind" && hasValue && args.at(i + 1) == "image") {
            ++i;
        } else if (arg == "--dest" && hasValue && destination.isEmpty()) {
            destination = args.at(++i);
        } else if (arg == "--volume" && hasValue) {
            volumes.append(args.at(++i));
        } else if (arg == "--keep-versions" && hasValue && keepVersions.isEmpty()) {
            keepVersions = args.at(++i);
        } else if (arg == "--user" && hasValue && user.isEmpty()) {
            user = args.at(++i);
        } else if (arg == "--password-file" && hasValue && passwordFile.isEmpty()) {
            passwordFile = args.at(++i);
        } else if (name.isEmpty() && !arg.startsWith("--")) {
            name = arg;
        } else {
            return app.usageError(QStringLiteral("create: unexpected argument: %1").arg(arg));
        }
    }
    if (name.isEmpty() || destination.isEmpty() || volumes.isEmpty())
        return app.usageError(
            QStringLiteral("create: a drive image job needs a name, --dest and at least one --volume"));
    if (!IsValidJobName(name))
        return app.usageError(QStringLiteral("create: \"%1\" is not a valid job name").arg(name));
    bool number = false;
    // Keeping no version at all would delete the image a run has just made.
    if (!keepVersions.isEmpty() && (keepVersions.toInt(&number) < 1 || !number))
        return app.usageError(QStringLiteral("create: --keep-versions takes a number of 1 or more"));
    const bool network = IsSmbPath(destination);
    if (!network && !user.isEmpty())
        return app.usageError(QStringLiteral("create: --user applies to network destinations only"));
    if (user.isEmpty() != passwordFile.isEmpty())
        return app.usageError(QStringLiteral("create: --user and --password-file go together"));
    QString password;
    if (!passwordFile.isEmpty() && !readPassword(passwordFile, password))
        return app.usageError(QStringLiteral("create: cannot read the password file %1").arg(passwordFile));
    TJobCatalogue& jobs = app.catalogue();
    if (jobs.indexOfName(name) >= 0) {
        app.err << "zorvanbackup-cli: a job named \"" << name << "\" exists already\n";
        return CliApp::kUsage;
    }

    auto job = std::make_unique<TJob_DriveImage>(name);
    job->DestinationType = network ? dtNetwork : dtExternalDevice;
    job->DestinationPath =
        network ? NormaliseSmbPath(destination) : QDir::cleanPath(QDir(destination).absolutePath());
    job->Destination_NetworkUsername = user;
    job->Destination_NetworkPassword = password;
    for (const QString& volume : std::as_const(volumes))
        job->Settings.SourceDrivesList.append(volume.startsWith('/') ? QDir::cleanPath(volume) : volume);
    if (!keepVersions.isEmpty()) {
        job->Settings.AutocleanOldBackups = true;
        job->Settings.NumberOfBackupVersionsToKeep = QString::number(keepVersions.toInt());
    }
    if (!job->SaveLocalJobFile(LocalJobFilePath(name))) {
        app.err << "zorvanbackup-cli: the job file of \"" << name << "\" cannot be written\n";
        return CliApp::kFinishedWithErrors;
    }
    jobs.append(std::move(job));
    if (!jobs.SaveJobsList()) {
        app.err << "zorvanbackup-cli: the jobs list cannot be written\n";
        return CliApp::kFinishedWithErrors;
    }
    app.out << "Drive image job \"" << name << "\" is created.\n";
    return CliApp::kOk;
}

int RunImageJobBackup(CliApp& app, TJob_DriveImage& job)
{
    std::unique_ptr<TStopSignals> stop;
    if (QCoreApplication::instance())
        stop = std::make_unique<TStopSignals>();
    if (!job.Backup()) {
        app.err << "zorvanbackup-cli: job \"" << job.stJobName
                << "\" is running; try again when it has finished\n";
        return CliApp::kCancelled;
    }
    qsizetype printed = 0;
    bool cancelAsked = false;
    // Line by line rather than through a snapshot: a snapshot shares the list's storage with the
    // worker, which grows it in place as soon as the snapshot is dropped.
    auto printLog = [&] {
        for (const qsizetype size = job.LastJobResult.Log.size(); printed < size; ++printed)
            app.out << job.LastJobResult.Log.at(printed) << "\n";
        app.out.flush();
    };
    while (!job.isIdle()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (stop && stop->received() != 0 && !cancelAsked) {
            job.Cancel();
            cancelAsked = true;
        }
        printLog();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    printLog();
    app.printEvents();
    return resultCode(job);
}

} // namespace CliImageCommands
