#pragma once
// A files-and-folders job: selected sources copied by the program's own engine.
#include "jobs/uJob.h"

enum TFilterType : qint32
{
    ftNoFilters = 0,
    ftIncludeOnly = 1,
    ftExclude = 2
};
enum TBackupType : qint32
{
    btSync = 0,
    btFull = 1,
    btInc = 2
};

struct TSourceSettings
{
    // A folder is stored as its path followed by "/*" (a whole file system "/*"); a file as its path.
    QStringList List;
    TFilterType FilterType = ftNoFilters;
    QString Extensions; // lower case, without dots, separated by ";"
};

struct TBackupSettings
{
    TBackupType BackupType = btInc;
    qint32 PerformFullBackup_EveryCopies = 5;
    qint32 NumberFullCopiesToKeep = 10;
    bool RemoveOldBackupsBeforeStartingNewBackup = false;
};

struct TFilesAndFoldersSettings
{
    TSourceSettings Sources;
    TBackupSettings Backup;
};

// What a run leaves in the remote job file for the next run to continue from.
struct TRemoteBookkeeping
{
    QStringList MainBackupList;
    QStringList PreviousLocalFilesList;
    QStringList PreviousLocalFilesTimeList;
    QStringList PreviousLocalDirsList;
    qint64 SizeOfLastFullBackup = 0;
    qint64 SizeOfAllIncrementsOrLastDifferentialCopy = 0;
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
    // The user picks one of the labels (oldest first); false on Cancel or when the window is closed.
    virtual bool ChooseRestorePoint(const QStringList& labels, qint32& index) = 0;
    // The password of a restore point kept in ZIP archives; empty when the prompt is cancelled.
    virtual QString QueryZipPassword(const QString& caption, const QString& prompt) = 0;
    // An error message (error kind, OK button).
    virtual void ShowError(const QString& message) = 0;
};

class TJob_FilesAndFolders : public TJob
{
public:
    using TSpecificSettings = TFilesAndFoldersSettings;

    explicit TJob_FilesAndFolders(const QString& name);

    TSpecificSettings Settings;

    bool SaveLocalJobFile(const QString& path);
    bool LoadLocalJobFile(const QString& path);
    // Failures are ignored silently: the run goes on.
    void SaveRemoteJobFile(const QString& path, const TRemoteBookkeeping& bookkeeping);
    // A missing file reads nothing and returns true; a malformed one throws TJobFileError.
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings, TRemoteBookkeeping& bookkeeping);

    // Starts a backup run on a new worker thread and returns at once (engine/). False, with nothing
    // changed, when the job already runs in this or another process.
    bool Backup();
    // The run itself, on the calling thread.
    void BackupInThread();
    // Removes the remote job file and the job's folder from the storage; true on success.
    bool Remove();

    // Restore: prepares a restore on the calling thread with `ui` (output folder, restore point) and
    // starts the run on a worker thread. False, with nothing changed, when the job already runs in this
    // or another process; true when the run has been started or the restore has ended.
    bool Restore(TRestoreInteraction& ui);
    // The restore run into `OutputPath` up to the restore point `ListInd` (-1 for a mirror), on the
    // calling thread; reads the remote job file that the preparation left in the temporary folder.
    void RestoreInThread(const QString& OutputPath, const QString& myZIPPassword, qint32 ListInd);
};
