#pragma once
// The job model: what both kinds of backup job hold, their enumerations and the small operations that
// belong to the model itself (option snapshot, cancel, pause).
#include "base/ContentChecksum.h"
#include "base/DateTime.h"
#include "base/NotifyingAtomic.h"
#include "base/SharedStringList.h"
#include "jobs/StorageConnectionResult.h"
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
#include <optional>
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
    joRemove = 4,
    joVerify = 5
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
    // A backup's copy: made under a temporary name beside its target on the storage, renamed into place
    // once complete; a source that cannot be read is a local failure, never retried.
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

// Raised by the remote job-file readers for a malformed or truncated file.
class TJobFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The kinds of job. The values are the kind field of the job files: never change them.
enum TJobKind : qint32
{
    jkFilesAndFolders = 1,
    jkDriveImage = 2
};

// What a restore asks its user while it is being prepared. The program's dialogs and the command line
// each implement it, so that both drive the same preparation.
class TRestoreInteraction
{
public:
    virtual ~TRestoreInteraction() = default;
    // The folder to restore into; false when the user cancels. Only an existing folder is accepted.
    virtual bool ChooseOutputFolder(QString& folder) = 0;
    // The restore point window in its loading state while the storage is read, and its closing.
    virtual void ShowLoading() = 0;
    virtual void CloseLoading() = 0;
    // Runs `read` (the reading of the storage, between ShowLoading and CloseLoading). A window runs it
    // on a helper thread and keeps painting meanwhile; the default runs it right here.
    virtual void WhileLoading(const std::function<void()>& read) { read(); }
    // The user picks one of the labels (oldest first); false on Cancel or when the window is closed.
    virtual bool ChooseRestorePoint(const QStringList& labels, qint32& index) = 0;
    // The password of a restore point kept in ZIP archives; empty when the prompt is cancelled.
    virtual QString QueryZipPassword(const QString& caption, const QString& prompt) = 0;
    // An error message (error kind, OK button).
    virtual void ShowError(const QString& message) = 0;
    // After the point is chosen (at once for a mirror): the files and folders to restore, as relative
    // paths of the backup; a folder stands for everything below it, and no items for everything.
    // `points` is MainBackupList without its marker. False cancels the restore.
    virtual bool ChooseItems(const QStringList& points, qint32 index, QStringList& items)
    {
        Q_UNUSED(points);
        Q_UNUSED(index);
        items.clear();
        return true;
    }
};

// A backup job: what both kinds hold, and the operations each kind carries out in its own way.
class TJob
{
public:
    explicit TJob(const QString& name);
    virtual ~TJob();
    TJob(const TJob&) = delete;
    TJob& operator=(const TJob&) = delete;

    virtual TJobKind Kind() const = 0;

    // Starts a backup run on a new worker thread and returns at once. False, with nothing changed,
    // when the job already runs in this or another process.
    virtual bool Backup() = 0;
    // Removes the job's backups and its remote job file from the storage; true on success (for a drive
    // image job: when the deletion of the image versions has been handed to the image tool).
    virtual bool Remove() = 0;
    // Prepares a restore with `ui` on the calling thread. False, with nothing changed, when the job
    // already runs in this or another process; true when the restore has been started or has ended.
    virtual bool Restore(TRestoreInteraction& ui) = 0;

    // The local job file (the whole job). False, with an event, when it cannot be written or read.
    virtual bool SaveLocalJobFile(const QString& path) = 0;
    virtual bool LoadLocalJobFile(const QString& path) = 0;
    // The remote job file beside the backups, as a job without backups writes it. A failure is ignored.
    virtual void SaveRemoteJobFile(const QString& path) = 0;
    // Reads the remote job file; with `LoadJobSettings` the job's settings are replaced by the file's.
    // A missing file reads nothing and returns true; a malformed one throws TJobFileError.
    virtual bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings) = 0;

    QString stJobName;
    std::atomic<TJobOperation> JobOperation{joBackup};
    TNotifyingAtomic<TJobStatus> JobStatus{jsNone}; // a change wakes a paused run at once
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
    // True while the worker sits in its pause, waiting for a resume or a cancel. Not stored.
    std::atomic<bool> WaitingWhilePaused{false};
    // While set, each copy by FileOperation computes the checksum of the bytes it wrote (not stored).
    bool ComputeCopyChecksums = false;
    // After a FileOperation with ComputeCopyChecksums: the size and checksum of the file it put in
    // place; empty when it copied nothing.
    struct TCopyChecksum
    {
        qint64 size = 0;
        TChecksumDigest digest{};
    };
    std::optional<TCopyChecksum> LastCopyChecksum;

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
    // Holds the calling run while the job is paused, with WaitingWhilePaused set; returns at once
    // when it is not paused, and as soon as it is resumed or cancelled.
    void WaitWhilePaused();

    // Renames the job with its backup folder, the job file copy beside it and its log folder (when it
    // has finished a run before), and its local job file. False, with events, when a step fails or
    // `newName` is not a valid job name. The caller has checked the name against the catalogue.
    bool ChangeName(const QString& newName);

    // Storage access (storage/): connect and return the job's storage folder or the error; one file
    // operation on the storage with retries.
    TStorageConnectionResult ConnectToStorage();
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
