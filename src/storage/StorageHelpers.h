#pragma once
// Small path and file helpers of the storage layer that the whole engine uses.
#include "base/DateTime.h"

#include <QString>

class TFileSystem;

// Paths pass unchanged here: this system has no 260-unit path limit.
QString ExtendedLengthPath(const QString& path, bool isDirectory);
// The extended-length rule of the Windows build, kept as a pure function on "\"-separated paths:
// from 247 units for a folder and 260 for a file, "\\server\..." becomes "\\?\UNC\server\..." and
// any other path gets the "\\?\" prefix.
QString WindowsExtendedLengthPath(const QString& path, bool isDirectory);

// The size of a file in bytes (0 for a folder), or -1 when it does not exist or cannot be read. Local and
// network paths (a network path without a session is read anonymously).
qint64 FileSizeOrMinusOne(const QString& path);
qint64 FileSizeOrMinusOne(TFileSystem& fileSystem, const QString& path);

// "yyyy-mm-dd hh:nn:ss:zzz", e.g. 2024-03-09 07:05:02:045.
QString FormatFileTimeStamp(TDateTime value);

// The file `fileName` in the job's folder under `base` ("base/job/file"), always inside that folder:
// empty when the base is empty, the job name is not a valid job name or the file name is not one path
// component. Callers treat the empty result as an error.
QString CombineJobPath(const QString& base, const QString& jobName, const QString& fileName);

// Percent done of a copy: transferred x 100 / total rounded to the nearest integer (halves to even);
// 0 when the total is 0.
qint32 CopyProgressPercent(qint64 transferred, qint64 total);

// A job's internal files: the remote job file (".kxj") and catalogs (".obl"); case-sensitive.
bool IsInternalFile(const QString& path);
