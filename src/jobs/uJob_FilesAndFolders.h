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

class TJob_FilesAndFolders : public TJob
{
public:
    using TSpecificSettings = TFilesAndFoldersSettings;

    explicit TJob_FilesAndFolders(const QString& name);

    TSpecificSettings Settings;

    TJobKind Kind() const override { return jkFilesAndFolders; }

    bool SaveLocalJobFile(const QString& path) override;
    bool LoadLocalJobFile(const QString& path) override;
    // Writes no bookkeeping: the file of a job that has no backups yet.
    void SaveRemoteJobFile(const QString& path) override;
    // Failures are ignored silently: the run goes on.
    void SaveRemoteJobFile(const QString& path, const TRemoteBookkeeping& bookkeeping);
    // Reads and drops the bookkeeping.
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings) override;
    // A missing file reads nothing and returns true; a malformed one throws TJobFileError.
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings, TRemoteBookkeeping& bookkeeping);

    // The backup by the program's own engine (engine/).
    bool Backup() override;
    // The run itself, on the calling thread.
    void BackupInThread();
    // Removes the remote job file and the job's folder from the storage; true on success.
    bool Remove() override;

    // Restore: asks `ui` for the output folder and the restore point, then starts the run on a worker
    // thread (engine/).
    bool Restore(TRestoreInteraction& ui) override;
    // The restore run into `OutputPath` up to the restore point `ListInd` (-1 for a mirror), on the
    // calling thread; reads the remote job file that the preparation left in the temporary folder.
    void RestoreInThread(const QString& OutputPath, const QString& myZIPPassword, qint32 ListInd);
};
