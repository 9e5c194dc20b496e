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

    bool SaveLocalJobFile(const QString& path);
    bool LoadLocalJobFile(const QString& path);
    // Failures are ignored silently: the run goes on.
    void SaveRemoteJobFile(const QString& path, const TRemoteBookkeeping& bookkeeping);
    // A missing file reads nothing and returns true; a malformed one throws TJobFileError.
    bool LoadRemoteJobFile(const QString& path, bool LoadJobSettings, TRemoteBookkeeping& bookkeeping);
};
