#include "cli/CliCreateOptions.h"

#include "base/DateTime.h"
#include "cli/CliApp.h"
#include "cli/CliFilesOptions.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob.h"
#include "platform/SmbPath.h"
#include "storage/DestinationIdentity.h"

#include <QDir>
#include <QFile>

namespace {

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

TCliCreateOptions::TCliCreateOptions(CliApp& app, const QString& kind, const QString& command)
    : app(app), kindWord(kind), commandWord(command)
{
}

int TCliCreateOptions::usage(const QString& problem)
{
    return app.usageError(commandWord + QStringLiteral(": ") + problem);
}

// A single-valued option given twice is refused: which of the two was meant is anybody's guess.
bool TCliCreateOptions::takeValue(const QStringList& args, qsizetype& i, QString& value)
{
    if (i + 1 >= args.size() || !value.isNull())
        return false;
    value = args.at(++i);
    return true;
}

bool TCliCreateOptions::parse(const QStringList& args, const TKindOption& kindOption)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        bool taken = false;
        QString problem;
        if (arg == QLatin1String("--kind") && i + 1 < args.size()) {
            const QString& word = args.at(i + 1);
            if (word != QLatin1String("files") && word != QLatin1String("image")) {
                usage(QStringLiteral("--kind is files or image"));
                return false;
            }
            // The other kind's word, or the kind given twice, is an unexpected argument.
            if (word == kindWord && !kindGiven) {
                kindGiven = taken = true;
                ++i;
            }
        } else if (arg == QLatin1String("--dest")) {
            taken = takeValue(args, i, destination);
        } else if (arg == QLatin1String("--user")) {
            taken = takeValue(args, i, user);
        } else if (arg == QLatin1String("--password-file")) {
            taken = takeValue(args, i, passwordFile);
        } else {
            taken = schedule.take(args, i, problem) || kindOption(args, i, problem);
            if (!problem.isEmpty()) {
                usage(problem);
                return false;
            }
            if (!taken && jobName.isNull() && !arg.startsWith(QLatin1String("--"))) {
                jobName = arg;
                continue;
            }
        }
        if (!taken) {
            usage(QStringLiteral("unexpected argument: %1").arg(arg));
            return false;
        }
        optionGiven = true;
    }
    return true;
}

bool TCliCreateOptions::validateDestination(bool storedNetwork, const QString& storedUser)
{
    network = destination.isNull() ? storedNetwork : IsSmbPath(destination);
    QString problem;
    if (!network && !user.isNull())
        problem = QStringLiteral("--user applies to network destinations only");
    else if (!passwordFile.isNull() && user.isEmpty() && (!user.isNull() || storedUser.isEmpty()))
        problem = QStringLiteral("--password-file goes with --user");
    else if (!passwordFile.isNull() && !readPassword(passwordFile, password))
        problem = QStringLiteral("cannot read the password file %1").arg(passwordFile);
    else if (network && !destination.isNull()) {
        const TSettingsCheck unc = CheckNetworkDestination(destination);
        // A network path that names no share is no more usable than one too short to name anything.
        if (unc.Refused())
            problem = CheckMessageText(unc);
        else if (!ParseSmbPath(destination).isValid())
            problem = CheckMessageText({ccBadUncPath, false, CheckNetworkDestination(QString()).Message});
    }
    if (!problem.isEmpty()) {
        usage(problem);
        return false;
    }
    if (!destination.isNull())
        destination =
            network ? NormaliseSmbPath(destination) : QDir::cleanPath(QDir(destination).absolutePath());
    return true;
}

bool TCliCreateOptions::validate(bool kindComplete, const QString& required)
{
    QString problem;
    if (jobName.isNull() || destination.isEmpty() || !kindComplete)
        problem = required;
    else if (!IsValidJobName(jobName))
        problem = QStringLiteral("\"%1\" cannot name a job (not \".\" or \"..\", no control characters, no "
                                 "leading or trailing blanks, none of < > : \" / \\ | ? *)")
                      .arg(PrintableJobName(jobName));
    else if (!IsSmbPath(destination) && !user.isNull())
        problem = QStringLiteral("--user applies to network destinations only");
    else if (!user.isEmpty() && passwordFile.isNull())
        problem = QStringLiteral("--user needs --password-file");
    if (!problem.isEmpty()) {
        usage(problem);
        return false;
    }
    if (!validateDestination(false, QString()))
        return false;
    if (app.catalogue().indexOfName(jobName) >= 0) {
        usage(QStringLiteral("a job named \"%1\" exists already").arg(jobName));
        return false;
    }
    return true;
}

bool TCliCreateOptions::validateEdit(const TJob& job)
{
    if (destination.isEmpty() && !destination.isNull()) {
        usage(QStringLiteral("--dest needs a path"));
        return false;
    }
    return validateDestination(job.DestinationType == dtNetwork, job.Destination_NetworkUsername);
}

bool TCliCreateOptions::applyTo(TJob& job)
{
    if (!destination.isNull()) {
        job.DestinationType = network ? dtNetwork : dtExternalDevice;
        job.DestinationPath = destination;
    }
    // Switching to a local destination keeps the stored network user and password, as the wizards do.
    if (!user.isNull())
        job.Destination_NetworkUsername = user;
    if (!passwordFile.isNull())
        job.Destination_NetworkPassword = password;
    const TSettingsCheck check = schedule.apply(job.SchedulingSettings);
    if (check.Refused()) {
        usage(CheckMessageText(check));
        return false;
    }
    // Starts before this change do not count, as when a wizard writes its controls into the job.
    job.SchedulingSettings.LastModificationDateTime = Now();
    return true;
}

int TCliCreateOptions::add(std::unique_ptr<TJob> job, const QString& created)
{
    job->SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = true;
    if (!applyTo(*job))
        return CliApp::kUsage;
    // A failure is queued as an event by the job.
    if (!job->SaveLocalJobFile(LocalJobFilePath(job->stJobName))) {
        app.printEvents();
        return CliApp::kFinishedWithErrors;
    }
    // A drive remembered for an earlier job of this name is not this job's.
    ForgetDestinationIdentity(job->stJobName);
    TJobCatalogue& jobs = app.catalogue();
    jobs.append(std::move(job));
    if (!jobs.SaveJobsList()) {
        app.err << "zorvanbackup-cli: unable to save the jobs list " << JobsListFilePath() << "\n";
        return CliApp::kFinishedWithErrors;
    }
    app.out << created << "\n";
    return CliApp::kOk;
}
