#pragma once
// The restore points of a full or incremental job: their labels, the reading of the list from the
// storage, the user's choice, and the chain of backups a point needs.
#include "jobs/uJob_FilesAndFolders.h"

#include <QString>
#include <QStringList>

#include <optional>

// The label of a restore point: its entry with every ";" turned into ":".
QString RestorePointLabel(const QString& entry);
// The backup subfolder of a label or entry: every ":" turned back into ";".
QString RestorePointSubfolder(const QString& label);
// True when a label marks a backup kept in ZIP archives.
bool IsZipRestorePoint(const QString& label);
// The type of the backups on the storage from the first entry of MainBackupList; false (type
// untouched) when the marker is none of the three.
bool BackupTypeFromMarker(const QString& marker, TBackupType& type);
// The subfolders to apply, in order, to reach the point at `index` of the list (marker removed): a full
// point alone, or the nearest full point at or before an incremental one followed by every point up to
// it. Empty when nothing is restored (no full point before it, a name of neither kind, a bad index).
QStringList RestoreChain(const QStringList& points, qint32 index);
// A point names one subfolder of BackupRoot: one path component, neither "." nor "..", and nothing a
// path join takes for a path of its own ("\\server...").
bool IsSafeRestorePointName(const QString& subfolder);
// The backup subfolder that an unfinished run's start flag names (its first line): empty for a
// mirror's flag, nothing when that line is not one subfolder of BackupRoot (a damaged or foreign flag).
std::optional<QString> StartFlagSubfolder(const QStringList& startFlag);

// What the preparation reads from the storage before the user chooses.
struct TRestorePointList
{
    enum TStatus
    {
        rsRead,             // the list was read
        rsNotConnected,     // `ErrorText` holds the connection's "ERROR:" text
        rsJobFileNotCopied, // no remote job file on the storage, or it cannot be fetched
        rsJobFileDamaged    // the fetched remote job file cannot be read
    };
    TStatus Status = rsRead;
    QString ErrorText;
    QStringList MainBackupList; // as stored, marker first
    bool StartFlagFound = false;
};

// Connects, fetches the remote job file into the temporary folder (where the run reads it again) and
// the start flag, disconnects and reads MainBackupList. Writes the run log lines of these steps.
TRestorePointList ReadRestorePointList(TJob_FilesAndFolders& job);

// Lets the user choose among `points` (marker removed): logs the choice, asks for a ZIP password where
// the label calls for one. False after Cancel, with the job set to jsCancelling.
bool ChooseRestorePoint(TJob_FilesAndFolders& job, TRestoreInteraction& ui, const QStringList& points,
                        qint32& listIndex, QString& zipPassword);
