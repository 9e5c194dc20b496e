#pragma once
// The job model: what both kinds of backup job hold, their enumerations and the small operations that
// belong to the model itself (option snapshot, cancel, pause).
#include "base/DateTime.h"
#include "base/SharedStringList.h"
#include "options/uOptions.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

class TNetworkPathConnection;
// Deletes the connection; defined by the storage layer, which owns the type.
struct TNetworkConnectionDeleter
{
    void operator()(TNetworkPathConnection* connection) const;
};

// Ordinals reach the job files: new values only at the end.
enum TJobStatus : qint32
{
    jsNone = 0,
    jsWaiting = 1,
    jsRunning = 2,
    jsCancelling = 3,
    jsPaused = 4
};
enum TJobOperation : qint32
{
    joBackup = 0,
    joReadRestorePoints = 1,
    joRestore = 2,
    joRename = 3,
    joRemove = 4
};
enum TDestinationType : qint32
{
    dtExternalDevice = 0,
    dtNetwork = 1
};
enum TSchedulingType : qint32
{
    stDisabled = 0,
    stDaysOfWeek = 1,
    stDaysOfMonth = 2
};
enum TOperationResult : qint32
{
    orSuccess = 0,
    orERROR_LocalAccess = 1,
    orERROR_RemoteAccess = 2
};
enum TFileOperationType : qint32
{
    atCopyFromLocalToRemoteFile = 0,
    atCopyFromLocalToRemoteFileThroughTempFolder = 1,
    atCopyFromRemoteToLocalFile = 2,
    atRemoveRemoteFile = 3,
    atRemoveRemoteEmptyFolder = 4,
    atRemoveRemoteNotEmptyFolder = 5,
    atCreateRemoteFolder = 6,
    atRenameRemoteFolder = 7,
    atRenameRemoteFile = 8,
    atNone_WaitingForReconnection = 9,
    atNone = 10
};

// The result of the last (or current) run. The worker writes it while the main thread reads it.
struct TJobResult
{
    std::atomic<TDateTime> StartTime{0};
    std::atomic<TDateTime> EndTime{0};
    TSharedStringList Log;
    std::atomic<bool> Cancelled{false};
    std::atomic<qint32> ErrorsCount{0};
    std::atomic<qint32> WarningsCount{0};
};

struct TSchedulingSettings
{
    TSchedulingType SchedulingType = stDisabled;
    std::array<bool, 8> DaysOfWeek{};   // indexed 1..7: 1 Monday ... 7 Sunday; index 0 unused
    std::array<bool, 32> DaysOfMonth{}; // indexed 1..31; index 0 unused
    QStringList TimeTable;              // "hh:nn:ss" start times
    TDateTime LastModificationDateTime = 0;
    bool RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = false;
    bool ShutdownPCInTheEnd = false;
};

// The path of the file operation in progress, for display: at most 256 UTF-16 units, empty when idle.
class TCurrentOperationPath
{
public:
    static constexpr qsizetype kMaxUnits = 256;
    void set(const QString& path);
    void clear() { set(QString()); }
    QString get() const;

private:
    mutable QMutex mutex;
    QString path;
};

// The volumes of the two folders that a temporary copy made beside its target compares (storage/),
// each remembered for the folder asked last: a walk copies many files into one folder in a row.
struct TRememberedVolumes
{
    struct TEntry
    {
        QString folder;
        QString volume;
    };
    TEntry targetFolder;    // the storage folder the file goes to
    TEntry temporaryFolder; // the folder of the job's temporary copies
};

// Raised by the remote job-file readers for a malformed or truncated file.
class TJobFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TJob
{
public:
    explicit TJob(const QString& name);
    // Virtual only so that owners may delete a job through its base and test its kind with dynamic_cast.
    virtual ~TJob();
    TJob(const TJob&) = delete;
    TJob& operator=(const TJob&) = delete;

    QString stJobName;
    std::atomic<TJobOperation> JobOperation{joBackup};
    std::atomic<TJobStatus> JobStatus{jsNone};
    TCurrentOperationPath CurrentFileOperationPath;
    std::atomic<qint64> CurrentBackupFilesProcessed{0};
    bool NewSubfolderIsCreatedForEachBackup = false;
    bool CanPause = true;
    TJobResult LastJobResult;
    TSharedStringList BackupHistory;
    TSharedStringList LogList;
    TSchedulingSettings SchedulingSettings;
    TDestinationType DestinationType = dtExternalDevice;
    QString DestinationPath;
    QString Destination_NetworkUsername;
    QString Destination_NetworkPassword;
    TOptions JobOptions;
    std::atomic<qint32> CancelCurrentFileOperation{0};
    std::atomic<TFileOperationType> CurrentFileOperationType{atCopyFromLocalToRemoteFile};
    std::atomic<qint32> CurrentFileOperationProgress{0};
    std::atomic<qint64> CurrentBackupSize{0};
    // The open network connection while the destination is a share (owned; storage/).
    std::unique_ptr<TNetworkPathConnection, TNetworkConnectionDeleter> NetworkConnection;
    // Set before a backup to take a local destination on another drive than the one of the earlier
    // backups (engine/DestinationIdentity); that run's connection clears it. Not stored.
    std::atomic<bool> AcceptNewDestination{false};
    // Used by the job's file operations, which run one at a time.
    TRememberedVolumes RememberedVolumes;
    // True while the worker sits in its pause, waiting for a resume or a cancel. Not stored.
    std::atomic<bool> WaitingWhilePaused{false};

    // Takes a private deep copy of GlobalOptions; every run reads only this copy.
    void OptionsToJobOptions();
    void Cancel();
    void Pause();
    // The translation lookup on this job's own copy of the options.
    QString Translate(const QString& text) const;

    bool isIdle() const { return JobStatus.load() == jsNone; }
    // Sets the status and wakes the threads in WaitUntil. A run ends with SetStatus(jsNone).
    void SetStatus(TJobStatus status);
    // Waits until `condition` holds or `timeout` has passed; true when it holds. The condition is
    // checked again whenever SetStatus or Cancel changes the status.
    bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const;

    // Renames the job with its backup folder, the job file copy beside it and its log folder (when it
    // has finished a run before), and its local job file. False, with events, when a step fails or
    // `newName` is not a valid job name. The caller has checked the name against the catalogue.
    bool ChangeName(const QString& newName);

    // Storage access (storage/): connect and return the job's storage folder, or a text that starts
    // with "ERROR:"; one file operation on the storage with retries.
    QString ConnectToStorage();
    void DisconnectFromStorage();
    TOperationResult FileOperation(TFileOperationType csOperationType, const QString& csstrLocal,
                                   const QString& csstrRemote, qint32 RetryCount, bool LogError);

    // Run logs and history (logs/).
    void AddEventtoBackupHistory(const QString& strEvent, bool AppendToLastString);
    void RemoveOldLogs();
    void DeleteTempFiles();

    // Schedule evaluation (scheduler/).
    TDateTime GetDateTimeOfNearestPastTask() const;
    bool IsScheduledXDaysFromNow(qint32 DaysCount) const;

private:
    mutable std::mutex statusMutex;
    mutable std::condition_variable statusChanged;
};

// The job's file in the application data folder; empty for a name that is not a valid job name.
QString LocalJobFilePath(const QString& jobName);
