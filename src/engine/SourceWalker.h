#pragma once
// The walk of a files-and-folders job's sources during a backup run: what is skipped, created or
// copied, what is recorded for the next run, and the removal pass that finds what has gone.
#include "engine/BackupRunState.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QSet>
#include <QString>

class TSourceWalker
{
public:
    TSourceWalker(TJob_FilesAndFolders& job, TBackupRunState& state);
    TSourceWalker(const TSourceWalker&) = delete;
    TSourceWalker& operator=(const TSourceWalker&) = delete;

    void BackupSources();
    // Carries what this run could not look at over from the previous run, then deletes (mirror) or
    // records (full and incremental) what the previous run saw and this run did not.
    void ProcessRemovedItems();

    // While the job is paused, sleeps a second at a time.
    static void WaitWhilePaused(TJob& job);

private:
    void BackupDirectory(const QString& sourceDir, const QString& relativeDir);
    void BackupSingleFile(const QString& sourceFile, const QString& name);
    bool CreateTargetSubfolders(const QString& relativePath);
    // Records one file and copies it when it is new or changed. False when the walk must stop.
    bool BackupFile(const QString& sourcePath, const QString& relativeDir, const QString& name,
                    qint64 mtimeMsecs, bool createFolders);
    // A mirror whose stored item has changed kind (a file became a folder or the other way round).
    bool ClearMirrorKindChange(const QString& rel, bool becomesFolder);
    // The storage refused a step: true to try it again after the user resumed, false to stop.
    bool ApplyRefusalRule();
    bool isCancelling() const { return job.JobStatus.load() == jsCancelling; }
    bool isExcludedFolder(const QString& path, const QString& name) const;
    bool passesExtensionFilter(const QString& name) const;
    void CarryUnknownItems();
    bool isUnderUnknownFolder(const QString& path, bool includeSelf) const;
    // Where the last file and folder were found in the previous lists: the next ones usually follow.
    qsizetype nextPreviousFile = 0;
    qsizetype nextPreviousDir = 0;
    qint32 retries() const { return job.JobOptions.Processing.IfDestinationNotAvailable_Retry_Times; }

    TJob_FilesAndFolders& job;
    TBackupRunState& state;
    QSet<QString> excludedDirs;    // lower case, no trailing "/"
    QSet<QString> excludedAnyPath; // folder names excluded at any depth, lower case
    QString tempFolderLower;       // PathForTempFiles, lower case
    QString backupRootPath;        // a local storage folder never backs itself up
    QString extensionsPattern;     // ";ext1;ext2;"
};
