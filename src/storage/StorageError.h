#pragma once
// The error a failed step of a storage operation raises inside the attempt loop, with its text
// exactly as the run log shows it (after the line breaks are removed).
#include <QString>

#include <stdexcept>

class TJob;
class TFileSystem;

class TStorageError : public std::runtime_error
{
public:
    explicit TStorageError(const QString& message) : std::runtime_error(message.toStdString()), text(message)
    {
    }
    const QString& message() const { return text; }

private:
    QString text;
};

// The system's description of an errno value.
QString SystemErrorDescription(int error);
// "System Error.  Code: %d." (through the job's lookup when a job is given) with the errno value, a
// line break and the system's description.
QString SystemErrorText(int error, const TJob* job = nullptr);
// The text with its line breaks (CR LF pairs and single LFs) removed, as a log line holds it.
QString WithoutLineBreaks(const QString& text);

// Logs (as "ERROR:" lines, counted) the last-write times that `fileSystem` set later and could not
// set, with their files. `finish` waits for those still being set first.
void LogDeferredFailures(TJob& job, TFileSystem& fileSystem, bool finish);
