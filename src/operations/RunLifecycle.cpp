#include "operations/RunLifecycle.h"

#include "base/AppState.h"
#include "base/Clock.h"
#include "base/Placeholders.h"
#include "events/EventsLog.h"
#include "i18n/RunLanguage.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/AskingUser.h"
#include "platform/JobRunLock.h"
#include "storage/DestinationIdentity.h"
#include "storage/StorageConnection.h"

#include <exception>
#include <thread>

namespace {
void saveLocalJobFile(TJob& job)
{
    // A name that makes no path has already stopped the run at the connection with its error.
    const QString path = LocalJobFilePath(job.stJobName);
    if (path.isEmpty())
        return;
    job.SaveLocalJobFile(path);
}
} // namespace

void ResetRunResult(TJob& job)
{
    job.LastJobResult.StartTime = Now();
    job.LastJobResult.EndTime = 0;
    job.LastJobResult.Cancelled = false;
    job.LastJobResult.ErrorsCount = 0;
    job.LastJobResult.WarningsCount = 0;
    job.LastJobResult.Log.clear();
}

void BeginBackupRun(TJob& job)
{
    job.JobStatus = jsRunning;
    job.JobOperation = joBackup;
    ResetRunResult(job);
    job.OptionsToJobOptions();
    AddEvent(FillPlaceholders(job.Translate(QStringLiteral("Starting the \"%s\" backup.")), {job.stJobName}));
}

void StartBackupWorker(TJob& job, std::unique_ptr<TJobRunLock> lock,
                       std::function<void(const std::function<void()>& releaseLock)> run)
{
    std::thread([&job, lock = std::move(lock), run = std::move(run)]() mutable {
        const TRunLanguageScope language(job.JobOptions.Language);
        QString failure;
        try {
            run([&lock] { lock.reset(); });
            return;
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
        } catch (...) {
            failure = QStringLiteral("unknown error");
        }
        lock.reset();
        // A run that broke off has failed: counted, so that nobody reads it as finished. The job
        // becomes idle last: from then on it may be deleted.
        ++job.LastJobResult.ErrorsCount;
        job.LastJobResult.EndTime = Now();
        AddEvent(FillPlaceholders(job.Translate(QStringLiteral("Error occured in job \"%s\": %s")),
                                  {job.stJobName, failure}));
        job.SetStatus(jsNone);
    }).detach();
}

QString RunSeparatorText()
{
    return QStringLiteral("-----------------------------");
}

void LogSeparatorLine(TJob& job)
{
    LogPlain(job, RunSeparatorText());
}

QString TRunLifecycle::T(const char* text) const
{
    return job.Translate(QString::fromUtf8(text));
}

void TRunLifecycle::Start()
{
    start = Clock::currentDateTime();
}

QString TRunLifecycle::Open(QString& errorText)
{
    Start();
    job.AddEventtoBackupHistory(T("Starting the backup."), false);
    const bool acceptNewDestination = job.AcceptNewDestination.exchange(false);
    QString storageFolder = Connect(errorText);
    if (errorText.isEmpty()) {
        errorText = CheckDestinationIdentity(job, storageFolder, acceptNewDestination);
        if (!errorText.isEmpty())
            storageFolder.clear();
    }
    EnsureLogFolder();
    return storageFolder;
}

void TRunLifecycle::EnsureLogFolder()
{
    EnsureJobLogFolder(job, kind == rkBackup ? T("Unable to create a folder for the log files:")
                                             : T("Unable to create folder for log files:"));
}

QString TRunLifecycle::Connect(QString& errorLine)
{
    const TStorageConnectionResult connection = job.ConnectToStorage();
    if (connection.error.isEmpty()) {
        errorLine.clear();
        return connection.folder;
    }
    errorLine = ConnectionErrorLine(job, connection);
    return QString();
}

void TRunLifecycle::PrepareConnected()
{
    job.DeleteTempFiles();
    MakePathForAskingUser(JobTempFolder(job));
    job.CurrentBackupSize = 0;
    job.CurrentBackupFilesProcessed = 0;
}

void TRunLifecycle::Cancelled()
{
    const char* texts[][2] = {{"Backup is cancelled.", "\"%s\" backup is cancelled."},
                              {"Restore is cancelled.", "\"%s\" restore is cancelled."},
                              {"Verification is cancelled.", "\"%s\" verification is cancelled."}};
    const QString line = T(texts[kind][0]);
    LogLine(job, line);
    AddEvent(FillPlaceholders(T(texts[kind][1]), {job.stJobName}));
    job.AddEventtoBackupHistory(line, false);
    job.LastJobResult.Cancelled = true;
}

void TRunLifecycle::CloseConnected()
{
    if (kind == rkBackup && !job.LastJobResult.Cancelled && job.JobStatus.load() != jsCancelling)
        RememberDestinationIdentity(job);
    LogLine(job, T("Removing the temporary files."));
    job.DeleteTempFiles();
    job.DisconnectFromStorage();
    SaveRunLogAndPrune(job, start);
}

void TRunLifecycle::ConnectionFailed(const QString& errorText)
{
    LogLine(job, T("Backup is cancelled."));
    job.AddEventtoBackupHistory(T("Backup is cancelled.") + ' ' + errorText, false);
    AddEvent(FillPlaceholders(T("\"%s\" backup is cancelled:"), {job.stJobName}) + ' ' + errorText);
    SaveRunLogAndPrune(job, start);
    job.LastJobResult.Cancelled = true;
}

void TRunLifecycle::Finish(const std::function<void()>& beforeIdle)
{
    job.CurrentFileOperationProgress = 0;
    job.CurrentFileOperationPath.clear();
    job.LastJobResult.EndTime = Now();
    if (!AppTerminating)
        saveLocalJobFile(job);
    if (beforeIdle)
        beforeIdle();
    job.SetStatus(jsNone);
}
