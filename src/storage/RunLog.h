#pragma once
// Lines of a job's run log written by the storage layer: the local time, ": ", then the text.
#include <QString>

class TJob;

// "<long time>: <text>".
QString FormatRunLogLine(const QString& text);
// Appends a line to the job's run log (LastJobResult.Log).
void AddRunLogLine(TJob& job, const QString& text);
// Appends "ERROR: <text>" (the word through the job's lookup) and counts one error.
void AddRunLogError(TJob& job, const QString& text);
