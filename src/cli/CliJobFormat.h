#pragma once
// How the command-line program describes jobs: one record per job that is printed as JSON for
// scripts or as aligned "Label: value" lines for people.
#include <QJsonObject>
#include <QTextStream>

class TJob;

// One line of the list: name, kind, destination, schedule, last result.
QJsonObject JobSummaryJson(const TJob& job);
// Every setting of one job.
QJsonObject JobDetailsJson(const TJob& job);
// "files" for a files-and-folders job, "image" for a drive image job.
QString JobKindName(const TJob& job);

// Prints a record as "Label: value" lines (keys become labels: "last_result" -> "Last result");
// arrays are printed one item per line, indented.
void PrintRecord(QTextStream& out, const QJsonObject& record);
