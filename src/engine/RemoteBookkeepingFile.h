#pragma once
// The bookkeeping of the remote job file as a backup run reads and writes it: the restore point list,
// the previous run's files with their stamps and folders, and the two sizes. The job's settings part is
// the job-file writer's own; the lists go straight between the file and the run's compact form (one
// buffer unscrambled and scrambled in place, stamps kept packed), so that a run over a large tree holds
// no second or third copy of them.
#include "engine/FileStamp.h"
#include "engine/RecordedFileList.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QStringList>

struct TRunBookkeeping
{
    QStringList MainBackupList;
    QStringList Files; // as read; a run writes its files from its TRecordedFileList
    TStampList Stamps;
    QStringList Dirs;
    qint64 SizeOfLastFullBackup = 0;
    qint64 SizeOfAllIncrementsOrLastDifferentialCopy = 0;
};

// Reads the bookkeeping part of a remote job file. A missing file reads nothing and returns false; a
// damaged or unreadable one throws TJobFileError.
bool ReadRunBookkeeping(const QString& path, TRunBookkeeping& out);
// The bytes of a remote job file that come before its files list: the header and `mainBackupList`.
// A run starts its TRecordedFileList with them.
QByteArray RunBookkeepingPrefix(TJob_FilesAndFolders& job, const QStringList& mainBackupList);
// Writes a whole remote job file: the bookkeeping of `in` with the files of `files` (handed over: the
// list is empty afterwards), then `job`'s settings. False when it cannot be written.
bool WriteRunBookkeeping(const QString& path, TJob_FilesAndFolders& job, const TRunBookkeeping& in,
                         TRecordedFileList& files);
