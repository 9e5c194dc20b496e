#include "cli/CliRestoreCommands.h"

#include "base/Placeholders.h"
#include "cli/CliApp.h"
#include "cli/CliListCommand.h"
#include "engine/RestorePoints.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/JobImport.h"
#include "platform/JobRunLock.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <memory>

namespace {

// The restore point the command line asks for.
struct TPointChoice
{
    bool latest = true;
    qint32 index = -1;
};

// The preparation's questions answered from the command line's options; errors go to the error stream.
class TCliRestoreInteraction final : public TRestoreInteraction
{
public:
    TCliRestoreInteraction(CliApp& app, TJob_FilesAndFolders& job, const QString& folder, TPointChoice choice,
                           const QStringList& only)
        : app(app), job(job), folder(folder), choice(choice), only(only)
    {
    }

    bool ChooseOutputFolder(QString& chosen) override
    {
        chosen = folder;
        return true;
    }
    void ShowLoading() override {}
    void CloseLoading() override {}
    bool ChooseRestorePoint(const QStringList& labels, qint32& index) override
    {
        if (labels.isEmpty()) {
            app.err << "zorvanbackup-cli: the job has no restore points\n";
            failed = true;
            return false;
        }
        index = choice.latest ? qint32(labels.size() - 1) : choice.index;
        if (index < 0 || index >= labels.size()) {
            app.err << "zorvanbackup-cli: no restore point " << choice.index << " (0 to " << labels.size() - 1
                    << "; see 'zorvanbackup-cli points NAME')\n";
            wrongPoint = true;
            return false;
        }
        return true;
    }
    QString QueryZipPassword(const QString&, const QString&) override { return QString(); }
    void ShowError(const QString& message) override
    {
        app.err << message << "\n";
        app.err.flush();
        failed = true;
    }

    bool ChooseItems(const QStringList& points, qint32 index, QStringList& items) override
    {
        items = only;
        if (only.isEmpty())
            return true;
        if (!CheckRestoreItems(app, job, points, index, only)) {
            wrongItem = true;
            return false;
        }
        return true;
    }

    bool failed = false;     // an error ended the preparation
    bool wrongPoint = false; // the asked point does not exist
    bool wrongItem = false;  // an item to restore is not in the backup

private:
    CliApp& app;
    TJob_FilesAndFolders& job;
    QString folder;
    TPointChoice choice;
    QStringList only;
};

TJob_FilesAndFolders* filesJob(CliApp& app, const QString& command, const QString& name, int& code)
{
    TJob* job = app.catalogue().findByName(name);
    if (!job) {
        code = app.jobNotFound(name);
        return nullptr;
    }
    if (job->Kind() == jkFilesAndFolders)
        return static_cast<TJob_FilesAndFolders*>(job);
    code = app.usageError(QStringLiteral("%1: \"%2\" is a drive image job; its images are restored with "
                                         "zorvan-imagetool")
                              .arg(command, name));
    return nullptr;
}

// Prints the run log lines from `printed` on and returns the new count.
qsizetype printLogFrom(CliApp& app, const TJob& job, qsizetype printed)
{
    // Line by line: a copy of the whole list would share its storage with the worker's appends.
    const qsizetype count = job.LastJobResult.Log.size();
    for (qsizetype i = printed; i < count; ++i)
        app.out << job.LastJobResult.Log.at(i) << "\n";
    app.out.flush();
    return qMax(printed, count);
}

} // namespace

int RunPointsCommand(CliApp& app, const QStringList& args)
{
    QString name;
    for (const QString& arg : args) {
        if (name.isEmpty() && !arg.startsWith("--"))
            name = arg;
        else
            return app.usageError(QStringLiteral("points: unexpected argument: %1").arg(arg));
    }
    if (name.isEmpty())
        return app.usageError(QStringLiteral("points: a job name is required"));
    int code = CliApp::kUsage;
    TJob_FilesAndFolders* job = filesJob(app, QStringLiteral("points"), name, code);
    if (!job)
        return code;
    // The list is read through the job's temporary folder, which a run of the job also uses.
    TJobRunLock lock(FoldJobName(job->stJobName));
    if (!job->isIdle() || !lock.tryLock())
        return app.jobIsRunning(*job);
    job->OptionsToJobOptions();
    const TRestorePointList read = ReadRestorePointList(*job);
    job->DeleteTempFiles();
    switch (read.Status) {
    case TRestorePointList::rsNotConnected:
        app.err << job->Translate(QStringLiteral("Unable to connect to the backup storage.")) << "\n"
                << read.ErrorText << "\n";
        return CliApp::kCancelled;
    case TRestorePointList::rsJobFileNotCopied:
    case TRestorePointList::rsJobFileDamaged:
        app.err << FillPlaceholders(job->Translate(QStringLiteral(
                                        "Unable to copy the job file \"%s\" from the backup directory.")),
                                    {job->stJobName + QStringLiteral(".kxj")})
                << "\n";
        return CliApp::kCancelled;
    case TRestorePointList::rsRead:
        break;
    }
    QStringList points = read.MainBackupList;
    TBackupType type = job->Settings.Backup.BackupType;
    if (!points.isEmpty()) {
        BackupTypeFromMarker(points.first(), type);
        points.removeFirst();
    }
    if (type == btSync) {
        app.out << "The backup is a mirror: it has no restore points. Restore it with\n"
                << "  zorvanbackup-cli restore \"" << job->stJobName << "\" --to DIR\n";
        if (read.StartFlagFound)
            app.err << "The last backup of this mirror did not finish: the mirror cannot be restored.\n";
        return CliApp::kOk;
    }
    if (points.isEmpty())
        app.out << "No restore points.\n";
    for (qsizetype i = 0; i < points.size(); ++i)
        app.out << i << "  " << RestorePointLabel(points.at(i)) << "\n";
    return CliApp::kOk;
}

int RunRestoreCommand(CliApp& app, const QStringList& args)
{
    QString name;
    QString folder;
    TPointChoice choice;
    bool pointGiven = false;
    QStringList only;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == "--to" && i + 1 < args.size() && folder.isEmpty()) {
            folder = args.at(++i);
        } else if (arg == "--point" && i + 1 < args.size() && !pointGiven) {
            bool number = false;
            choice.index = args.at(++i).toInt(&number);
            if (!number || choice.index < 0)
                return app.usageError(QStringLiteral("restore: --point takes a number from 'points'"));
            choice.latest = false;
            pointGiven = true;
        } else if (arg == "--only" && i + 1 < args.size()) {
            only.append(args.at(++i));
        } else if (arg == "--latest" && !pointGiven) {
            pointGiven = true;
        } else if (name.isEmpty() && !arg.startsWith("--")) {
            name = arg;
        } else {
            return app.usageError(QStringLiteral("restore: unexpected argument: %1").arg(arg));
        }
    }
    if (name.isEmpty() || folder.isEmpty())
        return app.usageError(QStringLiteral("restore: a job name and --to DIR are required"));
    int code = CliApp::kUsage;
    TJob_FilesAndFolders* job = filesJob(app, QStringLiteral("restore"), name, code);
    if (!job)
        return code;
    if (pointGiven && job->Settings.Backup.BackupType == btSync)
        return app.usageError(
            QStringLiteral("restore: \"%1\" is a mirror job; it takes no restore point").arg(name));
    // A folder that does not exist yet is made, as a copy into a new folder would.
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        app.err << "zorvanbackup-cli: cannot create the folder " << folder << "\n";
        return CliApp::kUsage;
    }

    std::unique_ptr<TStopSignals> stop;
    if (QCoreApplication::instance())
        stop = std::make_unique<TStopSignals>();
    TCliRestoreInteraction ui(app, *job, folder, choice, only);
    if (!job->Restore(ui))
        return app.jobIsRunning(*job);
    qsizetype printed = 0;
    bool cancelAsked = false;
    while (!job->isIdle()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (stop && stop->received() != 0 && !cancelAsked) {
            job->Cancel();
            cancelAsked = true;
        }
        printed = printLogFrom(app, *job, printed);
        // Returns as soon as the restore ends; otherwise the log and Ctrl-C are looked at again.
        job->WaitUntil([job] { return job->isIdle(); }, std::chrono::milliseconds(100));
    }
    printLogFrom(app, *job, printed);
    app.printEvents();
    if (ui.wrongPoint || ui.wrongItem)
        return CliApp::kUsage;
    if (ui.failed)
        return CliApp::kCancelled;
    return CliApp::runResultCode(*job);
}

int RunImportCommand(CliApp& app, const QStringList& args)
{
    if (args.size() != 1 || args.first().startsWith("--"))
        return app.usageError(QStringLiteral("import: one job file (*.kxj) is required"));
    const QString path = args.first();
    if (!path.contains(QLatin1String(".kxj")))
        return app.usageError(QStringLiteral("import: the job file must be a *.kxj file from the storage"));
    const TJobImportResult result = ImportJobFromStorage(app.catalogue(), path);
    app.printEvents();
    if (!result.Job) {
        if (!result.ErrorMessage.isEmpty())
            app.err << result.ErrorMessage << "\n";
        return result.Status == TJobImportResult::irNameRefused ? CliApp::kUsage
                                                                : CliApp::kFinishedWithErrors;
    }
    app.out << "Job \"" << result.Job->stJobName << "\" is imported; its schedule is disabled.\n";
    return CliApp::kOk;
}
