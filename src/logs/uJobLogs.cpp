// The job's history, log retention and temporary files.
#include "jobs/JobNames.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/FileSystemLocal.h"
#include "platform/uForceDeleteShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void TJob::AddEventtoBackupHistory(const QString& strEvent, bool AppendToLastString)
{
    if (AppendToLastString && !BackupHistory.isEmpty())
        BackupHistory.appendToLast(' ' + strEvent);
    else
        BackupHistory.append(HistoryLine(strEvent));
    const qsizetype limit = qMax(0, JobOptions.Logging.MaxNumberOfLinesInHistory);
    const qsizetype excess = BackupHistory.size() - limit;
    if (excess > 0)
        BackupHistory.removeFirst(excess);
}

void TJob::RemoveOldLogs()
{
    const QString folder = JobLogFolder(*this);
    if (folder.isEmpty())
        return;
    QStringList names = LogList.snapshot();
    for (qsizetype i = names.size() - 1; i >= 0; --i) {
        if (!QFileInfo(JoinPath(folder, names.at(i) + QStringLiteral(".txt"))).isFile())
            names.removeAt(i);
    }
    const qsizetype limit = qMax(0, JobOptions.Logging.MaxNumberOfLogsForEachJob);
    while (names.size() > limit) {
        QFile file(JoinPath(folder, names.first() + QStringLiteral(".txt")));
        // A name listed twice (two runs in the same second) has no file left the second time.
        if (file.exists() && !file.remove()) {
            LogError(*this, Translate(QStringLiteral("Unable to remove the old log files.")) + ' ' +
                                file.errorString());
            break;
        }
        names.removeFirst();
    }
    LogList.assign(names);
}

void TJob::DeleteTempFiles()
{
    const QString folder = JobTempFolder(*this);
    if (folder.isEmpty()) {
        // Without a path there is nothing of this job's to delete; never a folder beside it.
        if (!IsValidJobName(stJobName))
            LogError(*this, JobNameUnusableText(*this));
        return;
    }
    const QFileInfo info(folder);
    if (info.isSymLink()) {
        // Never follow a link out of the temporary folder: only the link itself goes.
        QFile::remove(folder);
    } else if (info.isDir()) {
        QDir(folder).removeRecursively();
        // A folder that has gone meanwhile is what was wanted.
        if (QFileInfo::exists(folder))
            ShellDeleteItem(TLocalFileSystem::instance(), folder);
    }
    const QString remoteJobCopy = JobTempRemoteJobFile(*this);
    if (QFileInfo::exists(remoteJobCopy) || QFileInfo(remoteJobCopy).isSymLink())
        QFile::remove(remoteJobCopy);
}
