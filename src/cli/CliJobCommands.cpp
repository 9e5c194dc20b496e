#include "cli/CliJobCommands.h"

#include "app/core/JobRemoval.h"
#include "cli/CliApp.h"
#include "cli/CliBackupRun.h"
#include "cli/CliCreateOptions.h"
#include "cli/CliFilesOptions.h"
#include "cli/CliImageCommands.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QTextStream>

#include <memory>

namespace {

// The events of a command that went well, as the program's events panel would show them.
void printEventsTo(QTextStream& stream)
{
    for (const QString& line : EventsQueue().takeAll())
        stream << line << '\n';
}

// A job name and an optional switch, in any order: false with the first argument that is neither.
bool nameAndSwitch(const QStringList& args, const char* option, QString& name, bool& given,
                   QString& unexpected)
{
    for (const QString& arg : args) {
        if (arg == QLatin1String(option))
            given = true;
        else if (name.isNull() && !arg.startsWith(QLatin1String("--")))
            name = arg;
        else {
            unexpected = arg;
            return false;
        }
    }
    return true;
}

} // namespace

QString JobCommandsHelp()
{
    return QStringLiteral(
        "  create NAME [--kind files] --source PATH... --dest PATH [--type mirror|full|incremental]\n"
        "         [--full-every N] [--keep-full N] [--remove-before] [--include EXT;...|--exclude EXT;...]\n"
        "         [--user U --password-file FILE] [SCHEDULE OPTIONS]\n"
        "                        a files-and-folders job; a folder source is backed up with its contents\n"
        "  create NAME --kind image --dest PATH --volume V... [--keep-versions N]\n"
        "         [--user U --password-file FILE] [SCHEDULE OPTIONS]\n"
        "                        a drive image job of the volumes (mount points, devices or image files)\n"
        "  backup NAME [--accept-new-destination]\n"
        "                        one backup of the job in the foreground; Ctrl-C cancels it. A run whose\n"
        "                        local destination is no longer on the drive of the earlier backups (a\n"
        "                        drive that is not mounted) is refused unless --accept-new-destination\n"
        "                        takes the new drive on purpose\n"
        "  rename NAME NEW_NAME  the job, with its backup folder, the job file beside it and its logs\n"
        "  remove NAME [--with-backups]\n"
        "                        the job, and with --with-backups its backups on the storage\n");
}

int RunCreateCommand(CliApp& app, const QStringList& args)
{
    if (CliImageCommands::IsImageCreate(args))
        return CliImageCommands::RunCreateImageJob(app, args);
    TCliCreateOptions create(app, QStringLiteral("files"));
    TCliFilesOptions files(false);
    const auto filesOption = [&](const QStringList& list, qsizetype& i, QString& problem) {
        return files.take(list, i, problem);
    };
    if (!create.parse(args, filesOption) ||
        !create.validate(files.sourcesGiven(),
                         QStringLiteral("a job name, at least one --source and --dest are required")))
        return CliApp::kUsage;

    auto job = std::make_unique<TJob_FilesAndFolders>(create.name());
    QString problem;
    if (!files.apply(*job, problem) || !CheckSourcesOf(app, *job, problem))
        return create.usage(problem);
    return create.add(std::move(job), QStringLiteral("Job \"%1\" is created.").arg(create.name()));
}

int RunBackupCommand(CliApp& app, const QStringList& args)
{
    QString name;
    bool acceptNewDestination = false;
    QString unexpected;
    if (!nameAndSwitch(args, "--accept-new-destination", name, acceptNewDestination, unexpected))
        return app.usageError(QStringLiteral("backup: unexpected argument: %1").arg(unexpected));
    if (name.isNull())
        return app.usageError(QStringLiteral("backup: one job name is required"));
    TJob* job = app.catalogue().findByName(name);
    if (!job)
        return app.jobNotFound(name);
    return RunBackupInForeground(app, *job, [job, acceptNewDestination] {
        job->AcceptNewDestination = acceptNewDestination;
        return job->Backup();
    });
}

int RunRemoveCommand(CliApp& app, const QStringList& args)
{
    QString name;
    bool withBackups = false;
    QString unexpected;
    if (!nameAndSwitch(args, "--with-backups", name, withBackups, unexpected))
        return app.usageError(QStringLiteral("remove: unexpected argument: %1").arg(unexpected));
    if (name.isNull())
        return app.usageError(QStringLiteral("remove: a job name is required"));
    TJobCatalogue& jobs = app.catalogue();
    const int index = jobs.indexOfName(name);
    if (index < 0)
        return app.jobNotFound(name);
    const TJob& job = *jobs.at(index);
    const bool image = job.Kind() == jkDriveImage;
    int code = CliApp::kOk;
    TJobRemoval removal;
    removal.RemoveBackups = withBackups;
    removal.ShowError = [&](const QString& message) {
        // The image tool deletes versions only for a job that keeps a number of them.
        if (image && !static_cast<const TJob_DriveImage&>(job).Settings.AutocleanOldBackups)
            app.err << "zorvanbackup-cli: \"" << job.stJobName
                    << "\" keeps no number of versions (no --keep-versions): its image versions are left "
                       "on the storage\n";
        app.printEvents();
        app.err << message << "\n";
        code = CliApp::kFinishedWithErrors;
    };
    const TJobRemovalResult result = removal.Remove(jobs, index);
    if (result.Step == jrJobRunning)
        return app.jobIsRunning(*jobs.at(index));
    if (image && result.BackupsRemoved)
        app.out << "zorvan-imagetool deletes the image versions in the background.\n";
    if (result.Step == jrFileNotRemoved || !result.ListSaved) {
        app.printEvents();
        return CliApp::kFinishedWithErrors;
    }
    printEventsTo(app.out);
    return code;
}
