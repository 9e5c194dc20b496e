#pragma once
// Run-log and history lines, the run log file, and the run log's start and end bookkeeping.
#include <QDateTime>
#include <QString>
#include <QStringList>

class TJob;
class TSharedStringList;

// "<time>: <text>" at the current time of the program's clock.
QString RunLogLine(const QString& text);
// "<short date> <time>: <text>" at the current time of the program's clock.
QString HistoryLine(const QString& text);

// Lines of a job's run log. The texts are already translated; "ERROR:" and "WARNING:" are translated
// here, and the error and warning lines raise the job's counts.
void LogLine(TJob& job, const QString& text);    // with a time stamp
void LogPlain(TJob& job, const QString& text);   // as it stands (separators, empty lines)
void LogError(TJob& job, const QString& text);   // "<time>: ERROR: <text>", ErrorsCount + 1
void LogWarning(TJob& job, const QString& text); // "<time>: WARNING: <text>", WarningsCount + 1

// "The job name cannot be used in a path:" with the name (the job's own by default), translated in the
// job's language: the error of every step that would turn a name that is not a valid job name into a path.
QString JobNameUnusableText(const TJob& job, const QString& name = QString());

// Writes the lines as UTF-8 with a byte order mark, each ended by CR LF. False when it cannot be written.
bool SaveRunLogFile(const QString& path, const TSharedStringList& lines);

// Start of a run: makes sure the job's log folder exists. On failure `eventText` + " " + folder goes to
// the events log and false is returned; the run goes on without a log file.
bool EnsureJobLogFolder(TJob& job, const QString& eventText);
// End of a run: when the job's log folder exists, saves the run log named by `start`, appends that
// name to LogList and prunes old logs.
void SaveRunLogAndPrune(TJob& job, const QDateTime& start);
