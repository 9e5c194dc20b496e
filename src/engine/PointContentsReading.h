#pragma once
// Reading what a restore point holds from the storage: the catalogs of its chain fetched into the
// job's temporary folder and folded into a TPointContents, and the size and time of listed files.
#include "engine/PointContents.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QDateTime>

#include <memory>

// The four catalogs of one backup subfolder.
struct TPointCatalogs
{
    QStringList Files;
    QStringList Folders;
    QStringList RemovedFiles;
    QStringList RemovedFolders;
};

// Fetches the catalogs of `folder` (a backup subfolder on the connected storage) into the temporary
// folder and reads them; false, with an "ERROR:" line in the run log, when one cannot be had.
bool FetchPointCatalogs(TJob_FilesAndFolders& job, const QString& folder, TPointCatalogs& lists);

struct TPointContentsRead
{
    std::unique_ptr<TPointContents> Contents; // null when it could not be read
    QString ErrorText;
};

// The contents of the point at `index` of `points` (MainBackupList without its marker), or of the
// mirror when the job's backups are a mirror (`index` is then ignored). The remote job file must be in
// the temporary folder (ReadRestorePointList leaves it there). Connects and disconnects.
TPointContentsRead ReadPointContents(TJob_FilesAndFolders& job, const QStringList& points, qint32 index);

// Size and last write time of files of the point, read from their copies on the storage.
struct TStoredFileInfo
{
    qint64 Size = -1; // -1: the copy cannot be looked at
    QDateTime LastWrite;
};
// One entry per id, in order (a folder gets the default). Connects and disconnects.
QList<TStoredFileInfo> ReadStoredFileInfo(TJob_FilesAndFolders& job, const TPointContents& contents,
                                          const QList<TPointContents::TId>& ids);
