#include "cli/CliRenameCommand.h"

#include "cli/CliApp.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "operations/JobRename.h"

int RunRenameCommand(CliApp& app, const QStringList& args)
{
    if (args.size() != 2 || args.at(0).startsWith(QLatin1String("--")) ||
        args.at(1).startsWith(QLatin1String("--")))
        return app.usageError(QStringLiteral("rename: the job's name and its new name are required"));
    TJobCatalogue& jobs = app.catalogue();
    TJob* job = jobs.findByName(args.at(0));
    if (!job)
        return app.jobNotFound(args.at(0));
    const TJobNameCheck check = CheckTypedJobName(jobs, args.at(1), job);
    if (check.Outcome == TJobNameCheck::ncRefused) {
        app.err << "zorvanbackup-cli: " << check.ErrorMessage << "\n";
        return CliApp::kUsage;
    }
    if (check.Outcome == TJobNameCheck::ncNothingToDo) {
        if (check.Name.isEmpty())
            return app.usageError(QStringLiteral("rename: the new name is empty"));
        return CliApp::kOk;
    }
    const TJobRenameOutcome outcome = RenameJob(jobs, *job, check.Name);
    if (outcome == rnJobRunning)
        return app.jobIsRunning(*job);
    if (outcome == rnFailed) {
        app.printEvents();
        app.err << "zorvanbackup-cli: "
                << Translate(QStringLiteral(
                       "Unable to rename the job. Please learn last error messages in the Events log."))
                << "\n";
        return CliApp::kFinishedWithErrors;
    }
    for (const QString& line : EventsQueue().takeAll())
        app.out << line << '\n';
    return CliApp::kOk;
}
