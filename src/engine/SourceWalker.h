#pragma once
// The walk of a files-and-folders job's sources during a backup run: what is skipped, created or
// copied, what is recorded for the next run, and the removal pass that finds what has gone.
#include "engine/BackupRunState.h"
#include "engine/CopyPool.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/DirectoryListing.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class TSourceWalker
{
public:
    TSourceWalker(TJob_FilesAndFolders& job, TBackupRunState& state);
    ~TSourceWalker();
    TSourceWalker(const TSourceWalker&) = delete;
    TSourceWalker& operator=(const TSourceWalker&) = delete;

    void BackupSources();
    // Carries what this run could not look at over from the previous run, then deletes (mirror) or
    // records (full and incremental) what the previous run saw and this run did not.
    void ProcessRemovedItems();

private:
    void BackupDirectory(const QString& sourceDir, const QString& relativeDir);
    void BackupSingleFile(const QString& sourceFile, const QString& name);
    bool CreateTargetSubfolders(const QString& relativePath);
    // Records one file and copies it when it is new or changed. False when the walk must stop.
    bool BackupFile(const QString& sourcePath, const QString& relativeDir, const QString& name,
                    qint64 mtimeMsecs, qint64 size, bool createFolders);
    // A mirror whose stored item has changed kind (a file became a folder or the other way round).
    bool ClearMirrorKindChange(const QString& rel, bool becomesFolder);
    // The storage refused a step: true to try it again after the user resumed, false to stop.
    bool ApplyRefusalRule();
    // How one try of a storage step went.
    enum TStepResult
    {
        srDone,       // the step is done
        srRefused,    // the storage refused it: the refusal rule decides whether it is tried again
        srStop,       // the walk must stop
        srPassedOver, // the item is left out of this run; the walk goes on
    };
    // Tries `step` until it is no longer refused, waiting while the job is paused before each try.
    // srStop when the run is cancelled or the refusal rule ends it.
    TStepResult retryRefused(const std::function<TStepResult()>& step);
    static TStepResult doneIf(bool ok) { return ok ? srDone : srRefused; }
    // Removes a stored item of the mirror, retried as above; false when the walk must stop.
    bool removeStored(TFileOperationType removal, const QString& rel);
    // A file the walk has decided about. It is recorded (and its copy's lines logged) only once every
    // file before it has been, so that the lists and the run log keep the walk's order whatever the
    // copy workers finish first.
    struct TPendingFile
    {
        QString sourcePath;
        QString relativeDir;
        QString rel;
        TFileStamp stamp = kNoStamp;
        qsizetype previous = -1;
        bool createFolders = false;
        std::shared_ptr<TBackupCopy> copy; // null: nothing to copy
    };
    void walkSources();
    // Records the files at the head of the queue whose copies are done; with `waitForHead`, waits for
    // the first one's copy.
    void retireReady(bool waitForHead);
    // Records every queued file, waiting for their copies: before the walk logs or changes the storage
    // itself, and at its end.
    void drain();
    // Records one file and applies its copy's result. False when the walk must stop.
    bool retire(TPendingFile& file);
    // One try of storing a file on the run's own thread (`recorded`: its index in LocalFilesList).
    TStepResult copyStep(const TPendingFile& file, qint32 recorded);
    // Applies a copy's result to the run's lists.
    TStepResult copyOutcome(TOperationResult result, const QString& rel, qint32 recorded);
    // Something of the file's storing must happen on the walk's thread first (a folder to create, a
    // stored folder of the same name to remove).
    bool needsWalkSteps(const TPendingFile& file) const;
    bool isCancelling() const { return job.JobStatus.load() == jsCancelling; }
    bool isExcludedFolder(const QString& path, const QString& name) const;
    bool passesExtensionFilter(const QString& name) const;
    // One warning for a path this run cannot look at, with the system's reason.
    void WarnUnreadable(const QString& path, int error);
    // An entry listed in a folder but not looked at: unknown, so its previous state is carried over.
    void RecordUnreadableEntry(const QString& sourceDir, const QString& relativeDir,
                               const TDirectoryEntry& entry);
    void CarryUnknownItems();
    // Names met in one storage folder, case-folded, each with the source path it came from.
    using TFoldedNames = QHash<QString, QString>;
    // On a storage that ignores letter case: true, with a warning, when `name` differs only in case
    // from a name met earlier in the same storage folder, whose stored item it would replace.
    bool IsCaseTwin(TFoldedNames& names, const QString& sourcePath, const QString& name);
    // On a mirror that ignores letter case: a previous item whose path this run recorded in another
    // case is the item this run stored, so the removal pass must leave it.
    void KeepCaseTwinsOfRecorded();
    bool isUnderUnknownFolder(const QString& path, bool includeSelf) const;
    // Where the last file and folder were found in the previous lists: the next ones usually follow.
    qsizetype nextPreviousFile = 0;
    qsizetype nextPreviousDir = 0;
    qint32 retries() const { return job.JobOptions.Processing.IfDestinationNotAvailable_Retry_Times; }

    TJob_FilesAndFolders& job;
    TBackupRunState& state;
    TFoldedNames topLevelNames;      // the names the sources and a drive root's entries give TargetFolder
    QSet<QString> excludedDirs;      // lower case, no trailing "/"
    QSet<QString> excludedAnyPath;   // folder names excluded at any depth, lower case
    QString tempFolderLower;         // PathForTempFiles, lower case
    QString backupRootPath;          // a local storage folder never backs itself up
    QString extensionsPattern;       // ";ext1;ext2;"
    std::unique_ptr<TCopyPool> pool; // null: every copy is made on the walk's thread
    std::deque<TPendingFile> pending;
    qsizetype copiesQueued = 0; // pending files with a copy
};
