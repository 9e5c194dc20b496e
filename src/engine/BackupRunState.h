#pragma once
// The working state of one files-and-folders backup run: what the previous run recorded, what this run
// sees, copies, creates and finds removed, and what it could not look at.
#include "engine/FileStamp.h"
#include "engine/PathList.h"
#include "engine/RecordedFileList.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QSet>
#include <QStringList>

#include <vector>

struct TBackupRunState
{
    TBackupType RunKind = btSync;
    QString TargetFolder;
    QString BackupRoot;
    // The storage folder does not tell names apart by letter case (or could not be asked): two source
    // names that differ only in case would land on one stored item.
    bool StorageIgnoresCase = false;

    TPathList PreviousLocalFilesList;
    TStampList PreviousLocalFilesTimeList;
    TPathList PreviousLocalDirsList;

    TRecordedFileList LocalFilesList;
    TStampList LocalFilesTimeList;
    QStringList LocalDirsList;
    // Indexes into LocalFilesList: every copied file is recorded there first.
    std::vector<qint32> CopiedFilesList;
    // The size and checksum of each of them, in the same order (size -1: none was computed).
    std::vector<TJob::TCopyChecksum> CopiedChecksums;
    QStringList CreatedDirsList;
    QStringList RemovedFilesList;
    QStringList RemovedDirsList;
    QSet<QString> TargetDirsList;

    // Which entries of the previous lists (by the index of their first occurrence) this run has seen,
    // so that the removal pass needs no lookup in this run's lists.
    std::vector<bool> PreviousFileSeen;
    std::vector<bool> PreviousDirSeen;
    // What this run could not look at: relative folders (a missing source, a folder that cannot be
    // listed) and files that exist but could not be read. Their previous entries are carried over.
    QSet<QString> UnknownFolders;
    QSet<QString> UnknownFiles;
    // Something that exists could not be read (each such item was warned about).
    bool UnreadableItems = false;

    // Fills the previous lists from the remote job file's lists.
    void setPrevious(QStringList files, TStampList stamps, QStringList dirs);
    // Empties the previous lists (a full copy copies everything).
    void clearPrevious();
    // The stamp the previous run recorded for the file at `index`, kNoStamp when there is none.
    TFileStamp previousStamp(qsizetype index) const;
};
