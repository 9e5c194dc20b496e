#pragma once
// The checks a job's settings pass before they are saved: sources and their extension filter, the
// destination and the schedule. Each check returns the translated text to show instead of showing
// it, so that the wizards and the command line share them.
#include "jobs/uJob.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QString>
#include <QStringList>

enum TSettingsCheckCode
{
    ccPassed = 0,
    ccNoSources,
    ccBadExtensionFilter,
    ccDuplicatedNames,
    ccWholeFileSystem, // a notice only: the settings pass
    ccNoSuchFolder,
    ccBadUncPath,
    ccNoDiskChosen,
    ccNoDay,
    ccEmptyTimetable,
    ccRecordExists
};

struct TSettingsCheck
{
    TSettingsCheckCode Code = ccPassed;
    bool IsError = false; // shown as an error; otherwise as a warning
    QString Message;      // translated and composed; empty when the check passed

    // The settings may not be saved (or the page not left) as they are.
    bool Refused() const { return Code != ccPassed && Code != ccWholeFileSystem; }
};

// Removes every blank, lowers the case and drops one ";" at the start and one at the end of
// `extensions`, in place; then refuses an empty list and the characters * . , \ /.
TSettingsCheck NormalizeExtensionFilter(QString& extensions);

// The first pair of sources that would land on the same name in a backup: empty, or the later path +
// CR LF + the earlier path (folders without their "/*"). Folders are compared with folders and files
// with files, ignoring case; the root of the file system has no name and clashes with nothing.
QString GetDuplicatedNamesOfFoldersOrFiles(const QStringList& sources);

// The folder a folder entry ("path/*", "/*") stands for ("path", "/"); the entry itself for a file.
QString SourceEntryPath(const QString& entry);
bool IsFolderSourceEntry(const QString& entry);

// The sources that exist now, in their order and written as they were (a folder keeps its "/*").
QStringList ExistingSources(const QStringList& sources);

// The sources of a files-and-folders job, in this order: at least one source, a valid extension
// filter when one is chosen (normalised in place), no clashing names, and a notice (ccWholeFileSystem,
// which passes) when the whole file system is a source.
TSettingsCheck CheckFilesSources(const QStringList& sources, TFilterType filterType, QString& extensions);

// An external destination must be an existing folder.
TSettingsCheck CheckExternalDestination(const QString& path);
// A network path must be longer than one character.
TSettingsCheck CheckNetworkDestination(const QString& uncPath);

// Drive image jobs: at least one drive to image, and a disk chosen as the destination.
TSettingsCheck CheckDriveImageSources(const QStringList& drives);
TSettingsCheck CheckDiskChosen(const QString& disk);

// With days of the week or of the month chosen, at least one such day is ticked and the timetable has
// at least one start time. A disabled schedule passes whatever it holds.
TSettingsCheck CheckSchedule(const TSchedulingSettings& schedule);
