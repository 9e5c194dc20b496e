// The job's history, log retention and temporary files.
#include "jobs/uJob.h"
#include "logs/JobPaths.h"
#include "logs/RunLog.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
// Deleting needs write access to every folder on the way: grant it, then delete again.
bool forceRemoveFolder(const QString& folder)
{
    const QFileDevice::Permissions rwx =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(folder, QFile::permissions(folder) | rwx);
    QDirIterator it(folder,
                    QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString dir = it.next();
        QFile::setPermissions(dir, QFile::permissions(dir) | rwx);
    }
    return QDir(folder).removeRecursively();
}
} // namespace

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
    const QFileInfo info(folder);
    if (info.isSymLink()) {
        // Never follow a link out of the temporary folder: only the link itself goes.
        QFile::remove(folder);
    } else if (info.isDir()) {
        QDir(folder).removeRecursively();
        if (QFileInfo::exists(folder))
            forceRemoveFolder(folder);
    }
    const QString remoteJobCopy = JobTempRemoteJobFile(*this);
    if (QFileInfo::exists(remoteJobCopy) || QFileInfo(remoteJobCopy).isSymLink())
        QFile::remove(remoteJobCopy);
}
