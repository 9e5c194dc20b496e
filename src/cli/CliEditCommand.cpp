#include "cli/CliEditCommand.h"

#include "cli/CliApp.h"
#include "cli/CliCreateOptions.h"
#include "cli/CliFilesOptions.h"
#include "cli/CliImageCommands.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobSettingsReload.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/JobRunLock.h"
#include "scheduler/RunControl.h"

namespace {

// The kind's own options, read and written into a job.
struct TKindOptions
{
    TCliFilesOptions files{true};
    TCliImageOptions image{true};
    bool take(const TJob& job, const QStringList& args, qsizetype& i, QString& problem)
    {
        return job.Kind() == jkDriveImage ? image.take(args, i, problem) : files.take(args, i, problem);
    }
    // False with `problem` set when the result is refused by the wizard's checks of the kind.
    bool apply(CliApp& app, TJob& job, QString& problem) const
    {
        if (job.Kind() == jkDriveImage) {
            auto& image = static_cast<TJob_DriveImage&>(job);
            this->image.apply(image);
            const TSettingsCheck check = CheckDriveImageSources(image.Settings.SourceDrivesList);
            problem = CheckMessageText(check);
            return !check.Refused();
        }
        auto& filesJob = static_cast<TJob_FilesAndFolders&>(job);
        return files.apply(filesJob, problem) && CheckSourcesOf(app, filesJob, problem);
    }
};

int refuseWhileRunning(CliApp& app, const TJob& job)
{
    const int code = app.jobIsRunning(job);
    app.err << TRunControl::RefusalText() << "\n";
    return code;
}

} // namespace

int RunEditCommand(CliApp& app, const QStringList& args)
{
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")))
        return app.usageError(QStringLiteral("edit: the job's name comes first"));
    const TJob* listed = app.catalogue().findByName(args.first());
    if (!listed)
        return app.jobNotFound(args.first());

    TCliCreateOptions common(app, QString(), QStringLiteral("edit"));
    TKindOptions kind;
    const auto kindOption = [&](const QStringList& list, qsizetype& i, QString& problem) {
        return kind.take(*listed, list, i, problem);
    };
    if (!common.parse(args, kindOption))
        return CliApp::kUsage;
    if (!common.anyGiven())
        return common.usage(QStringLiteral("nothing to change: give the settings to change"));

    // Held from reading the job file to replacing it, so that no run of the job starts meanwhile and
    // what a run that has just ended saved is the base of the change.
    TJobRunLock runLock(FoldJobName(listed->stJobName));
    if (!listed->isIdle() || !runLock.tryLock())
        return refuseWhileRunning(app, *listed);
    const QString path = LocalJobFilePath(listed->stJobName);
    const std::unique_ptr<TJob> job = LoadJobFromFile(*listed, path);
    if (!job) {
        app.printEvents();
        app.err << "zorvanbackup-cli: cannot read the job file " << path << "\n";
        return CliApp::kFinishedWithErrors;
    }
    if (!common.validateEdit(*job))
        return CliApp::kUsage;
    QString problem;
    if (!kind.apply(app, *job, problem))
        return common.usage(problem);
    if (!common.applyTo(*job))
        return CliApp::kUsage;
    if (!job->SaveLocalJobFile(path)) {
        app.printEvents();
        return CliApp::kFinishedWithErrors;
    }
    app.out << QStringLiteral("Job \"%1\" is changed.").arg(job->stJobName) << "\n";
    return CliApp::kOk;
}

QString EditCommandHelp()
{
    return QStringLiteral(
        "  edit NAME OPTION...   changes only the settings given, with the options of create (but\n"
        "                        --kind) and the schedule options below; refused while the job\n"
        "                        runs (exit code 3). A files job also takes --add-source PATH...,\n"
        "                        --remove-source PATH..., --no-filter and --no-remove-before\n"
        "                        (--source replaces the sources); a drive image job takes\n"
        "                        --no-keep-versions (--volume replaces the volumes)\n");
}
