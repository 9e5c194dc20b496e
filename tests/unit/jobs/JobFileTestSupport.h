#pragma once
// Helpers of the job-file tests: a byte builder that does not share code with the program's writer,
// fully filled jobs, field-by-field comparisons and the events the readers add.
#include "jobs/JobFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& value, std::ostream* out)
{
    *out << '"' << value.toStdString() << '"';
}

namespace JobFileTest {

// Little-endian fields appended by hand, so that a test states the file layout independently.
class PlainBytes
{
public:
    PlainBytes& i32(qint32 value);
    PlainBytes& i64(qint64 value);
    PlainBytes& byte(quint8 value);
    PlainBytes& dateTime(double value);
    PlainBytes& str(const QString& value);
    PlainBytes& list(std::initializer_list<QString> values);
    PlainBytes& list(const QStringList& values);
    PlainBytes& raw(const QByteArray& bytes);
    const QByteArray& bytes() const { return data; }

private:
    QByteArray data;
};

// Every field set to a value that differs from the constructor's.
void fillFilesAndFolders(TJob_FilesAndFolders& job);
void fillDriveImage(TJob_DriveImage& job);
TRemoteBookkeeping filledBookkeeping();

// The settings of the files-and-folders block (fields 8 to 25) and of the drive-image block.
void expectSameSettings(const TJob_FilesAndFolders& expected, const TJob_FilesAndFolders& actual);
void expectSameSettings(const TJob_DriveImage& expected, const TJob_DriveImage& actual);
// Fields 1 to 7 of a local file.
void expectSameLastResult(const TJob& expected, const TJob& actual);
void expectSameBookkeeping(const TRemoteBookkeeping& expected, const TRemoteBookkeeping& actual);

// Takes the queued events, without their time stamps.
QStringList takeEvents();
QString loadError(const QString& subject, int code);

// Writes `plain` scrambled, as the program's files are, without going through the job writers.
void writeScrambled(const QString& path, const QByteArray& plain);
QByteArray readUnscrambled(const QString& path);

} // namespace JobFileTest
