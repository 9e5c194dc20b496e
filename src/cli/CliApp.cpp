#include "cli/CliApp.h"

#include "app/core/AppStartup.h"
#include "cli/CliEditCommand.h"
#include "cli/CliJobCommands.h"
#include "cli/CliJobFormat.h"
#include "cli/CliListCommand.h"
#include "cli/CliRenameCommand.h"
#include "cli/CliRestoreCommands.h"
#include "cli/CliScheduleOptions.h"
#include "cli/CliSchedulerCommand.h"
#include "cli/CliVerifyCommand.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob.h"

#include <QJsonArray>
#include <QJsonDocument>

CliApp::CliApp(QTextStream& out, QTextStream& err) : out(out), err(err) {}

CliApp::~CliApp() = default;

int CliApp::run(const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        printHelp();
        return kUsage;
    }
    const QString command = arguments.first();
    const QStringList args = arguments.mid(1);
    int code = kUsage;
    if (command == "--help" || command == "-h" || command == "help") {
        printHelp();
        code = kOk;
    } else if (command == "list") {
        code = runList(args);
    } else if (command == "show") {
        code = runShow(args);
    } else if (command == "create") {
        code = RunCreateCommand(*this, args);
    } else if (command == "edit") {
        code = RunEditCommand(*this, args);
    } else if (command == "backup") {
        code = RunBackupCommand(*this, args);
    } else if (command == "rename") {
        code = RunRenameCommand(*this, args);
    } else if (command == "remove") {
        code = RunRemoveCommand(*this, args);
    } else if (command == "points") {
        code = RunPointsCommand(*this, args);
    } else if (command == "restore") {
        code = RunRestoreCommand(*this, args);
    } else if (command == "ls") {
        code = RunListPointCommand(*this, args);
    } else if (command == "verify") {
        code = RunVerifyCommand(*this, args);
    } else if (command == "import") {
        code = RunImportCommand(*this, args);
    } else if (command == "scheduler") {
        code = RunSchedulerCommand(*this, args);
    } else {
        code = usageError(QStringLiteral("unknown command: %1").arg(command));
    }
    out.flush();
    err.flush();
    return code;
}

TJobCatalogue& CliApp::catalogue()
{
    if (!jobs) {
        jobs = std::make_unique<TJobCatalogue>();
        TStartupSteps steps;
        steps.WriteAutorunWithDefaults = false;
        steps.ApplyPriority = false;
        const TStartupResult result = PrepareApplication(*jobs, steps);
        for (const QString& message : result.ErrorMessages)
            err << message << "\n";
        printEvents();
    }
    return *jobs;
}

void CliApp::printEvents()
{
    const QStringList lines = EventsQueue().takeAll();
    for (const QString& line : lines)
        err << line << "\n";
    err.flush();
}

int CliApp::usageError(const QString& message)
{
    err << "zorvanbackup-cli: " << message << "\n"
        << "Run 'zorvanbackup-cli --help' for the commands.\n";
    err.flush();
    return kUsage;
}

int CliApp::jobNotFound(const QString& name)
{
    err << "zorvanbackup-cli: no job named \"" << name << "\"\n";
    err.flush();
    return kUsage;
}

int CliApp::jobIsRunning(const TJob& job)
{
    err << "zorvanbackup-cli: " << job.stJobName << ": "
        << job.Translate(QStringLiteral("Job is currently running.")) << "\n";
    err.flush();
    return kCancelled;
}

int CliApp::runResultCode(const TJob& job)
{
    if (job.LastJobResult.Cancelled)
        return kCancelled;
    if (job.LastJobResult.ErrorsCount > 0)
        return kFinishedWithErrors;
    if (job.LastJobResult.WarningsCount > 0)
        return kFinishedWithWarnings;
    return kOk;
}

int CliApp::runList(const QStringList& args)
{
    bool json = false;
    for (const QString& arg : args) {
        if (arg == "--json")
            json = true;
        else
            return usageError(QStringLiteral("list: unexpected argument: %1").arg(arg));
    }
    TJobCatalogue& all = catalogue();
    if (json) {
        QJsonArray rows;
        for (int i = 0; i < all.count(); ++i)
            rows.append(JobSummaryJson(*all.at(i)));
        out << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return kOk;
    }
    if (all.count() == 0) {
        out << "No backup jobs.\n";
        return kOk;
    }
    const QStringList columns = {"name", "kind", "destination", "schedule", "last_result"};
    const QStringList headers = {"Name", "Kind", "Destination", "Schedule", "Last result"};
    QList<QStringList> rows;
    QList<qsizetype> widths;
    for (const QString& header : headers)
        widths.append(header.size());
    for (int i = 0; i < all.count(); ++i) {
        const QJsonObject summary = JobSummaryJson(*all.at(i));
        QStringList row;
        for (int c = 0; c < columns.size(); ++c) {
            row.append(summary.value(columns[c]).toString());
            widths[c] = qMax(widths[c], row.last().size());
        }
        rows.append(row);
    }
    auto printRow = [&](const QStringList& row) {
        QString line;
        for (int c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c].leftJustified(widths[c] + 2) : row[c];
        out << line << "\n";
    };
    printRow(headers);
    for (const QStringList& row : rows)
        printRow(row);
    return kOk;
}

int CliApp::runShow(const QStringList& args)
{
    bool json = false;
    QString name;
    for (const QString& arg : args) {
        if (arg == "--json")
            json = true;
        else if (name.isEmpty() && !arg.startsWith("--"))
            name = arg;
        else
            return usageError(QStringLiteral("show: unexpected argument: %1").arg(arg));
    }
    if (name.isEmpty())
        return usageError(QStringLiteral("show: a job name is required"));
    const TJob* job = catalogue().findByName(name);
    if (!job)
        return jobNotFound(name);
    const QJsonObject details = JobDetailsJson(*job);
    if (json)
        out << QJsonDocument(details).toJson(QJsonDocument::Indented);
    else
        PrintRecord(out, details);
    return kOk;
}

void CliApp::printHelp()
{
    out << "Usage: zorvanbackup-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  list [--json]         every backup job in order: name, kind, destination, schedule, last "
           "result\n"
           "  show NAME [--json]    all settings of one job\n"
        << JobCommandsHelp() << EditCommandHelp()
        << "  points NAME           the restore points of a job, with the index --point takes\n"
           "  restore NAME --to DIR [--point N|--latest] [--only PATH]...\n"
           "                        restores the job's sources into DIR (made when missing): the latest\n"
           "                        point unless --point is given; a mirror job takes no point; with\n"
           "                        --only, just those files and folders (paths as 'ls' shows them)\n"
           "  verify NAME [--point N|--all] [--read-data]\n"
           "                        checks that the files a restore point needs are on the storage with\n"
           "                        their recorded sizes; --read-data reads them again against their\n"
           "                        checksums. Exit 0 proven, 1 unverifiable, 2 problems, 3 not done\n"
           "  ls NAME [--point N] [PATH]\n"
           "                        the files and folders of a restore point below PATH, with sizes and\n"
           "                        times\n"
           "  import FILE.kxj       adds the job kept beside its backups, with its schedule disabled\n"
        << SchedulerCommandHelp()
        << "  --help                this text\n"
           "\n"
        << TCliScheduleOptions::help()
        << "\n"
           "Jobs are read from the program's data folder ($XDG_DATA_HOME/Zorvan Backup).\n"
           "Exit codes: 0 done, 1 finished with warnings, 2 finished with errors, 3 cancelled, not\n"
           "connected or the job is running, 64 wrong usage or unknown job.\n";
}
