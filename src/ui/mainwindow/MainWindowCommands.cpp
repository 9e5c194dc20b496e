// The main window's commands on the selected job: run control, restore, history, run logs, and the
// commands handed to the program's services.
#include "base/PathJoin.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobNames.h"
#include "logs/RunLog.h"
#include "platform/AskingUser.h"
#include "scheduler/RunControl.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {

// The "Log" arrow lists this many of the newest run logs.
constexpr qsizetype kLogMenuEntries = 30;

} // namespace

void TfrmMainOstrinBackup::ShowNotAvailable()
{
    ShowMessageDialog(Translate(QStringLiteral("This command is not available yet.")), mtInformation, mbOK, 0,
                      this);
}

void TfrmMainOstrinBackup::callService(const std::function<void()>& service)
{
    if (!service) {
        ShowNotAvailable();
        return;
    }
    service();
    refreshView();
}

void TfrmMainOstrinBackup::callJobService(const std::function<void(TJob&)>& service)
{
    TJob* job = selectedJob();
    if (!job)
        return;
    if (!service) {
        ShowNotAvailable();
        return;
    }
    service(*job);
    // The command may have added, removed or renamed jobs.
    refreshView();
}

bool TfrmMainOstrinBackup::tickInProgress() const
{
    return services.Scheduler && services.Scheduler->TickInProgress;
}

TJob* TfrmMainOstrinBackup::idleJobOrRefuse()
{
    TJob* job = selectedJob();
    if (!job)
        return nullptr;
    if (job->JobStatus.load() != jsNone || tickInProgress()) {
        ShowPlainMessage(TRunControl::RefusalText(), this);
        return nullptr;
    }
    return job;
}

void TfrmMainOstrinBackup::showRunControlResult(int result)
{
    if (result == rcRefused)
        ShowPlainMessage(TRunControl::RefusalText(), this);
    refreshView();
}

void TfrmMainOstrinBackup::ActionBackupExecute()
{
    TJob* job = selectedJob();
    if (!job || !runControl)
        return;
    const TRunControlResult result = runControl->ActionBackupExecute(job);
    if (result == rcDone && services.StartedByHand)
        services.StartedByHand(*job);
    showRunControlResult(result);
}

void TfrmMainOstrinBackup::ActionRestoreExecute()
{
    TJob* job = idleJobOrRefuse();
    if (!job)
        return;
    if (job->Kind() == jkDriveImage && services.Jobs && services.Jobs->IsSomeJobRunning()) {
        ShowMessageDialog(Translate(QStringLiteral("Some jobs are currently running.")), mtError, mbOK, 0,
                          this);
        return;
    }
    callJobService(services.Restore);
}

void TfrmMainOstrinBackup::ActionVerifyExecute()
{
    TJob* job = idleJobOrRefuse();
    if (job && job->Kind() == jkFilesAndFolders)
        callJobService(services.Verify);
}

QString TfrmMainOstrinBackup::jobLogFolder(const TJob& job) const
{
    const QString folder = services.LogFolder ? services.LogFolder() : QString();
    return JobNamedPath(folder, job.stJobName);
}

void TfrmMainOstrinBackup::ActionHistoryExecute()
{
    TJob* job = idleJobOrRefuse();
    if (!job)
        return;
    const QString folder = services.LogFolder ? services.LogFolder() : QString();
    const QString path =
        IsValidJobName(job->stJobName) && !folder.isEmpty()
            ? JoinPath(folder, QStringLiteral("history - ") + job->stJobName + QStringLiteral(".txt"))
            : QString();
    if (path.isEmpty() || !MakePathForAskingUser(folder) || !SaveRunLogFile(path, job->BackupHistory)) {
        ShowMessageDialog(Translate(QStringLiteral("Unable to save the file:")) + ' ' +
                              (path.isEmpty() ? job->stJobName : path),
                          mtError, mbOK, 0, this);
        return;
    }
    if (services.OpenReport)
        services.OpenReport(path, false);
    else
        ShowNotAvailable();
}

void TfrmMainOstrinBackup::ActionLogExecute()
{
    TJob* job = idleJobOrRefuse();
    if (!job || job->LogList.isEmpty())
        return;
    openRunLog(job->LogList.last());
}

void TfrmMainOstrinBackup::openRunLog(const QString& logName)
{
    TJob* job = selectedJob();
    if (!job)
        return;
    const QString folder = jobLogFolder(*job);
    const QString path = JoinPath(folder, logName + QStringLiteral(".txt"));
    if (folder.isEmpty() || !QFileInfo(path).isFile()) {
        ShowPlainMessage(Translate(QStringLiteral("Log file does not exist:")) + ' ' + path, this);
        return;
    }
    if (services.OpenReport)
        services.OpenReport(path, true);
    else
        ShowNotAvailable();
}

void TfrmMainOstrinBackup::RebuildLogMenu()
{
    pmLogs->clear();
    TJob* job = selectedJob();
    if (!job)
        return;
    if (job->JobStatus.load() != jsNone || tickInProgress()) {
        // The menu cannot show a box while it opens: refuse right after.
        QMetaObject::invokeMethod(
            this,
            [this] {
                pmLogs->close();
                ShowPlainMessage(TRunControl::RefusalText(), this);
            },
            Qt::QueuedConnection);
        return;
    }
    const QStringList names = job->LogList.snapshot();
    for (qsizetype i = qMax<qsizetype>(0, names.size() - kLogMenuEntries); i < names.size(); ++i) {
        // Log names carry the time with semicolons; the menu shows it with colons.
        QAction* entry = pmLogs->addAction(QString(names[i]).replace(';', ':'));
        connect(entry, &QAction::triggered, this,
                [this, entry] { openRunLog(entry->text().replace(':', ';')); });
    }
}

void TfrmMainOstrinBackup::ActionAboutExecute()
{
    const QStringList lines = {
        QStringLiteral(ZORVAN_APP_TITLE),
        Translate(QStringLiteral("Version: ")) + QStringLiteral(ZORVAN_VERSION),
        QString(),
        Translate(
            QStringLiteral("Backs up files, folders and whole drives to local disks and network shares.")),
        QStringLiteral("https://zorvanbackup.example/"),
        QString(),
        Translate(QStringLiteral("This program is provided as is, without warranty of any kind.")),
    };
    ShowMessageDialog(lines.join('\n'), mtInformation, mbOK, 0, this);
}
