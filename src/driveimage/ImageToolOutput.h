#pragma once
// Reads the image tool's console output into a drive image job: progress lines become the job's
// current operation and percentage, error lines are counted and logged, the rest is logged as it stands.
#include <QByteArray>
#include <QString>
#include <QStringList>

class TJob;

class TImageToolOutputReader
{
public:
    // The most bytes taken from the pipe in one read.
    static constexpr qsizetype kChunkSize = 2400;

    explicit TImageToolOutputReader(TJob& job);
    TImageToolOutputReader(const TImageToolOutputReader&) = delete;
    TImageToolOutputReader& operator=(const TImageToolOutputReader&) = delete;

    // Handles one read from the tool's output. A line that the read cut off is completed by the next
    // read, so that a line is never taken apart at a chunk boundary.
    void HandleChunk(const QByteArray& bytes);
    // The output has ended: a last line without a line end is handled now.
    void Finish();

private:
    void HandleLines(const QStringList& lines);
    void HandleLine(const QString& line);
    void HandleProgressLine(const QString& line, qsizetype copiedAt);
    QString T(const char* text) const;

    TJob& job;
    // The bytes of a line that no line end has closed yet. The tool writes UTF-8, and each line is
    // decoded whole, so a read that cuts a character (or a damaged byte sequence) changes nothing.
    QByteArray pending;
    bool lineEndedByCr = false;
};
