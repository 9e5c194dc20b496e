#pragma once
// The job files: the local file (.obd, the whole job) and the remote file (.kxj, bookkeeping and
// settings kept beside the backups). The methods of both job kinds that read and write them are
// defined in JobFiles.cpp; the functions below are their in-memory halves, which build and parse the
// plain (unscrambled) content.
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The version every writer puts into the header.
constexpr qint32 kJobFileVersion = 5;
// The kind field of the header (present from version 4 on).
constexpr qint32 kJobFileKindFilesAndFolders = jkFilesAndFolders;
constexpr qint32 kJobFileKindDriveImage = jkDriveImage;

// 0 when the file is missing or cannot be read or parsed (the last two add an event), else the kind:
// 1 files-and-folders, 2 drive image. Files of version 3 or lower predate drive images and are 1.
int GetJobFileKind(const QString& path);

// A new job of the kind a job file announces (GetJobFileKind); null for 0 or an unknown kind.
std::unique_ptr<TJob> NewJobOfKind(int kind, const QString& name);

// The plain content of each file. The parsers throw TBinaryReadError on a short or malformed content
// (including an enumeration value this program does not know) and ignore bytes after the last field.
QByteArray SerializeLocalJobFile(const TJob_FilesAndFolders& job);
QByteArray SerializeLocalJobFile(const TJob_DriveImage& job);
QByteArray SerializeRemoteJobFile(const TJob_FilesAndFolders& job, const TRemoteBookkeeping& bookkeeping);
QByteArray SerializeRemoteJobFile(const TJob_DriveImage& job);

// The local parsers append to the job's lists (the drive list excepted, which is replaced); fields read
// before an error stay in the job.
void ParseLocalJobFile(const QByteArray& plain, TJob_FilesAndFolders& job);
void ParseLocalJobFile(const QByteArray& plain, TJob_DriveImage& job);
// `bookkeeping` is reset first. With `loadJobSettings` the job's settings are replaced by the file's,
// with its schedule disabled; without, the job is not touched.
void ParseRemoteJobFile(const QByteArray& plain, bool loadJobSettings, TJob_FilesAndFolders& job,
                        TRemoteBookkeeping& bookkeeping);
void ParseRemoteJobFile(const QByteArray& plain, bool loadJobSettings, TJob_DriveImage& job);
// The kind from a plain content, as GetJobFileKind reads it; may return a value other than 1 or 2.
qint32 ParseJobFileKind(const QByteArray& plain);
