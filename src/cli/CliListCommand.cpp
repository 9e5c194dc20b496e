#include "cli/CliListCommand.h"

#include "cli/CliApp.h"
#include "engine/PointContentsReading.h"
#include "engine/RestorePoints.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/JobRunLock.h"

namespace {
// Files whose size and time are read from the storage in one go.
constexpr qsizetype kInfoBatch = 4096;

struct TListArguments
{
    QString name;
    QString path;
    qint32 point = -1; // -1: the latest
    bool pointGiven = false;
};

int parseArguments(CliApp& app, const QStringList& args, TListArguments& parsed)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == "--point" && i + 1 < args.size() && !parsed.pointGiven) {
            bool number = false;
            parsed.point = args.at(++i).toInt(&number);
            if (!number || parsed.point < 0)
                return app.usageError(QStringLiteral("ls: --point takes a number from 'points'"));
            parsed.pointGiven = true;
        } else if (parsed.name.isEmpty() && !arg.startsWith("--")) {
            parsed.name = arg;
        } else if (parsed.path.isEmpty() && !arg.startsWith("--")) {
            parsed.path = arg;
        } else {
            return app.usageError(QStringLiteral("ls: unexpected argument: %1").arg(arg));
        }
    }
    if (parsed.name.isEmpty())
        return app.usageError(QStringLiteral("ls: a job name is required"));
    return CliApp::kOk;
}

// Every entry below `top` (itself first unless it is the top), depth first in the tree's order.
QList<TPointContents::TId> entriesBelow(const TPointContents& contents, TPointContents::TId top)
{
    QList<TPointContents::TId> result;
    std::vector<TPointContents::TId> pending{top};
    while (!pending.empty()) {
        const TPointContents::TId id = pending.back();
        pending.pop_back();
        if (id != TPointContents::kTop)
            result.append(id);
        if (contents.isFolder(id)) {
            const auto children = contents.children(id);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                pending.push_back(*it);
        }
    }
    return result;
}

void printEntries(CliApp& app, TJob_FilesAndFolders& job, const TPointContents& contents,
                  const QList<TPointContents::TId>& ids)
{
    for (qsizetype start = 0; start < ids.size(); start += kInfoBatch) {
        const QList<TPointContents::TId> batch = ids.mid(start, kInfoBatch);
        const QList<TStoredFileInfo> infos = ReadStoredFileInfo(job, contents, batch);
        for (qsizetype i = 0; i < batch.size(); ++i) {
            const TPointContents::TId id = batch.at(i);
            if (contents.isFolder(id)) {
                app.out << QStringLiteral("%1  %2  %3/\n")
                               .arg(QString(19, ' '), QStringLiteral("<DIR>").rightJustified(14),
                                    contents.path(id));
                continue;
            }
            const TStoredFileInfo& info = infos.at(i);
            const QString time = info.LastWrite.isValid()
                                     ? info.LastWrite.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                     : QStringLiteral("?").leftJustified(19);
            const QString size = info.Size >= 0 ? QString::number(info.Size) : QStringLiteral("?");
            app.out << QStringLiteral("%1  %2  %3\n").arg(time, size.rightJustified(14), contents.path(id));
        }
    }
}
} // namespace

bool CheckRestoreItems(CliApp& app, TJob_FilesAndFolders& job, const QStringList& points, qint32 index,
                       const QStringList& items)
{
    const TPointContentsRead read = ReadPointContents(job, points, index);
    if (!read.Contents) {
        app.err << read.ErrorText << "\n";
        return false;
    }
    bool ok = true;
    for (const QString& item : items) {
        const QString clean = CleanCatalogEntry(item);
        if (clean.isNull() || read.Contents->find(clean) == TPointContents::kNone) {
            app.err << "zorvanbackup-cli: restore: \"" << item << "\" is not in the backup"
                    << (index >= 0 ? QStringLiteral(" at restore point %1").arg(index) : QString())
                    << " (see 'zorvanbackup-cli ls " << job.stJobName << "')\n";
            ok = false;
        }
    }
    return ok;
}

int RunListPointCommand(CliApp& app, const QStringList& args)
{
    TListArguments parsed;
    if (const int code = parseArguments(app, args, parsed); code != CliApp::kOk)
        return code;
    TJob* found = app.catalogue().findByName(parsed.name);
    if (!found)
        return app.jobNotFound(parsed.name);
    if (found->Kind() != jkFilesAndFolders)
        return app.usageError(QStringLiteral("ls: \"%1\" is a drive image job").arg(parsed.name));
    auto& job = static_cast<TJob_FilesAndFolders&>(*found);
    // The contents are read through the job's temporary folder, which a run of the job also uses.
    TJobRunLock lock(FoldJobName(job.stJobName));
    if (!job.isIdle() || !lock.tryLock())
        return app.jobIsRunning(job);
    job.OptionsToJobOptions();
    const TRestorePointList list = ReadRestorePointList(job);
    if (list.Status == TRestorePointList::rsNotConnected) {
        app.err << job.Translate(QStringLiteral("Unable to connect to the backup storage.")) << "\n"
                << list.ErrorText << "\n";
        job.DeleteTempFiles();
        return CliApp::kCancelled;
    }
    if (list.Status != TRestorePointList::rsRead) {
        app.err << "zorvanbackup-cli: ls: the job file of \"" << job.stJobName
                << "\" cannot be read from the backup directory\n";
        job.DeleteTempFiles();
        return CliApp::kCancelled;
    }
    QStringList points = list.MainBackupList;
    TBackupType type = job.Settings.Backup.BackupType;
    if (!points.isEmpty()) {
        BackupTypeFromMarker(points.first(), type);
        points.removeFirst();
    }
    if (type != btSync) {
        if (points.isEmpty()) {
            job.DeleteTempFiles();
            app.err << "zorvanbackup-cli: ls: the job has no restore points\n";
            return CliApp::kCancelled;
        }
        if (!parsed.pointGiven)
            parsed.point = qint32(points.size() - 1);
        if (parsed.point >= points.size()) {
            job.DeleteTempFiles();
            return app.usageError(
                QStringLiteral("ls: no restore point %1 (0 to %2; see 'zorvanbackup-cli points "
                               "NAME')")
                    .arg(parsed.point)
                    .arg(points.size() - 1));
        }
    } else if (parsed.pointGiven) {
        job.DeleteTempFiles();
        return app.usageError(
            QStringLiteral("ls: \"%1\" is a mirror job; it takes no restore point").arg(parsed.name));
    }
    const TPointContentsRead read = ReadPointContents(job, points, parsed.point);
    if (!read.Contents) {
        job.DeleteTempFiles();
        app.err << read.ErrorText << "\n";
        return CliApp::kCancelled;
    }
    const TPointContents& contents = *read.Contents;
    const TPointContents::TId top = contents.find(CleanCatalogEntry(parsed.path));
    if (top == TPointContents::kNone) {
        job.DeleteTempFiles();
        app.err << "zorvanbackup-cli: ls: \"" << parsed.path << "\" is not in the backup\n";
        return CliApp::kUsage;
    }
    printEntries(app, job, contents, entriesBelow(contents, top));
    job.DeleteTempFiles();
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationPath.clear();
    return CliApp::kOk;
}
