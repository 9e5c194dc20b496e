#include "cli/CliVerifyCommand.h"

#include "base/ByteSize.h"
#include "cli/CliApp.h"
#include "engine/PointVerification.h"
#include "engine/RestorePoints.h"
#include "jobs/JobCatalogue.h"
#include "platform/JobRunLock.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <memory>
#include <unistd.h>

namespace {

struct TVerifyArguments
{
    QString name;
    qint32 point = -1; // -1: the latest
    bool all = false;
    bool readData = false;
};

int parseArguments(CliApp& app, const QStringList& args, TVerifyArguments& out)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == "--read-data") {
            out.readData = true;
        } else if (arg == "--all") {
            out.all = true;
        } else if (arg == "--point" && i + 1 < args.size()) {
            bool ok = false;
            out.point = args.at(++i).toInt(&ok);
            if (!ok || out.point < 0)
                return app.usageError(QStringLiteral("verify: --point takes a number: %1").arg(args.at(i)));
        } else if (out.name.isEmpty() && !arg.startsWith("--")) {
            out.name = arg;
        } else {
            return app.usageError(QStringLiteral("verify: unexpected argument: %1").arg(arg));
        }
    }
    if (out.name.isEmpty())
        return app.usageError(QStringLiteral("verify: a job name is required"));
    if (out.all && out.point >= 0)
        return app.usageError(QStringLiteral("verify: --point and --all exclude each other"));
    return CliApp::kOk;
}

const char* kindText(TVerifyProblemKind kind)
{
    switch (kind) {
    case TVerifyProblemKind::Missing:
        return "missing";
    case TVerifyProblemKind::WrongSize:
        return "wrong size";
    case TVerifyProblemKind::Damaged:
        return "damaged";
    case TVerifyProblemKind::Unreadable:
        return "unreadable";
    case TVerifyProblemKind::NoChecksum:
        return "no checksum recorded";
    }
    return "";
}

void printResult(CliApp& app, const QString& label, const TVerifyResult& result)
{
    for (const TVerifyProblem& problem : result.Problems)
        app.out << kindText(problem.Kind) << ": " << problem.Path << "\n";
    if (!result.ErrorText.isEmpty())
        app.err << result.ErrorText << "\n";
    app.out << label << ": " << result.FilesChecked << " files checked, "
            << qint64(result.Problems.size()) - result.count(TVerifyProblemKind::NoChecksum) << " problems ("
            << result.count(TVerifyProblemKind::Missing) << " missing, "
            << result.count(TVerifyProblemKind::WrongSize) << " wrong size, "
            << result.count(TVerifyProblemKind::Damaged) << " damaged, "
            << result.count(TVerifyProblemKind::Unreadable) << " unreadable), "
            << result.count(TVerifyProblemKind::NoChecksum) << " without a checksum, " << result.BytesRead
            << " bytes read" << (result.Cancelled ? ", cancelled" : "") << "\n";
    app.out.flush();
    app.err.flush();
}

// Ctrl-C and SIGTERM stop the verification between two files or chunks; on a terminal a live line on
// the error stream shows how much has been read (nothing of it reaches a pipe or a file).
class TVerifyFollower
{
public:
    explicit TVerifyFollower(CliApp& app) : app(app)
    {
        if (QCoreApplication::instance())
            stop = std::make_unique<TStopSignals>();
    }
    ~TVerifyFollower() { clearLine(); }
    TVerifyFollower(const TVerifyFollower&) = delete;
    TVerifyFollower& operator=(const TVerifyFollower&) = delete;

    // Looks at the stop signals; once one came, every later call asks the verification to stop.
    bool stopAsked(TJob& job)
    {
        if (stop && !asked) {
            QCoreApplication::processEvents();
            asked = stop->received() != 0;
        }
        if (asked)
            job.CancelCurrentFileOperation = -1;
        return asked;
    }

    TVerifyProgress progress(TJob& job)
    {
        return [this, &job](const QString& path, qint64 done, qint64 total) {
            if (asked)
                job.CancelCurrentFileOperation = -1;
            if (asked || !due.hasExpired())
                return;
            due.setRemainingTime(kRefreshMs);
            if (stopAsked(job) || !terminal)
                return;
            QString line = total > 0 ? QStringLiteral("%1% of %2 read - %3")
                                           .arg(qMin<qint64>(100, done * 100 / total))
                                           .arg(FormatByteSize(total), path)
                                     : path;
            if (line.size() >= kWidth)
                line = QChar(0x2026) + line.right(kWidth - 2);
            clearLine();
            app.err << line;
            app.err.flush();
            shown = line.size();
        };
    }

    void clearLine()
    {
        if (shown > 0) {
            app.err << '\r' << QString(shown, ' ') << '\r';
            app.err.flush();
        }
        shown = 0;
    }

private:
    static constexpr int kRefreshMs = 100;
    static constexpr qsizetype kWidth = 79;
    CliApp& app;
    std::unique_ptr<TStopSignals> stop;
    const bool terminal = isatty(STDERR_FILENO) == 1;
    bool asked = false;
    QDeadlineTimer due{0};
    qsizetype shown = 0;
};

} // namespace

int RunVerifyCommand(CliApp& app, const QStringList& args)
{
    TVerifyArguments parsed;
    if (const int code = parseArguments(app, args, parsed); code != CliApp::kOk)
        return code;
    TVerifyFollower follower(app);
    TJob* found = app.catalogue().findByName(parsed.name);
    if (!found)
        return app.jobNotFound(parsed.name);
    if (found->Kind() != jkFilesAndFolders)
        return app.usageError(QStringLiteral("verify: \"%1\" is a drive image job").arg(parsed.name));
    auto& job = static_cast<TJob_FilesAndFolders&>(*found);
    // The catalogs are read through the job's temporary folder, which a run of the job also uses.
    TJobRunLock lock(FoldJobName(job.stJobName));
    if (!job.isIdle() || !lock.tryLock())
        return app.jobIsRunning(job);
    job.OptionsToJobOptions();
    const TRestorePointList list = ReadRestorePointList(job);
    if (list.Status != TRestorePointList::rsRead) {
        app.err << job.Translate(QStringLiteral("Unable to connect to the backup storage.")) << "\n"
                << list.ErrorText << "\n";
        job.DeleteTempFiles();
        return CliApp::kCancelled;
    }
    QStringList points = list.MainBackupList;
    TBackupType type = job.Settings.Backup.BackupType;
    if (!points.isEmpty()) {
        BackupTypeFromMarker(points.first(), type);
        points.removeFirst();
    }
    QList<qint32> chosen;
    if (type == btSync) {
        chosen = {0};
    } else if (points.isEmpty()) {
        app.err << "zorvanbackup-cli: verify: the job has no restore points\n";
        job.DeleteTempFiles();
        return CliApp::kCancelled;
    } else if (parsed.all) {
        for (qint32 i = 0; i < points.size(); ++i)
            chosen.append(i);
    } else {
        const qint32 index = parsed.point < 0 ? qint32(points.size() - 1) : parsed.point;
        if (index >= points.size()) {
            job.DeleteTempFiles();
            return app.usageError(
                QStringLiteral("verify: no restore point %1 (0 to %2; see 'zorvanbackup-cli "
                               "points NAME')")
                    .arg(index)
                    .arg(points.size() - 1));
        }
        chosen = {index};
    }
    int code = 0;
    for (const qint32 index : chosen) {
        TVerifyResult result = VerifyPoint(job, points, index, parsed.readData, follower.progress(job));
        follower.clearLine();
        // A stop that came after the last file still ends the command as cancelled.
        if (follower.stopAsked(job))
            result.Cancelled = true;
        printResult(app, type == btSync ? QStringLiteral("Mirror") : RestorePointLabel(points.at(index)),
                    result);
        code = std::max(code, result.exitCode());
        if (result.Cancelled) {
            app.out << "Verification cancelled.\n";
            app.out.flush();
            break;
        }
    }
    job.CancelCurrentFileOperation = 0;
    job.DeleteTempFiles();
    return code;
}
