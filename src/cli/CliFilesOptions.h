#pragma once
// The options of a files-and-folders job that `create` and `edit` share: sources, backup type, the two
// numbers, removing old copies first, and the extension filter. `edit` also takes the options that
// adjust what the job has (--add-source, --remove-source, --no-filter, --no-remove-before).
#include "jobs/JobSettingsChecks.h"
#include "jobs/uJob_FilesAndFolders.h"

#include <QString>
#include <QStringList>

#include <optional>

class CliApp;

class TCliFilesOptions
{
public:
    explicit TCliFilesOptions(bool editing) : editing(editing) {}

    // Reads the option at args[i], moving i past its values. False when args[i] is not one of these
    // options; a usage error is reported by setting `problem`.
    bool take(const QStringList& args, qsizetype& i, QString& problem);
    bool given() const { return anyGiven; }
    bool sourcesGiven() const { return sources.has_value(); }

    // Writes what was given into `job`, changing nothing else. False with `problem` set when a source
    // to remove is not one of the job's.
    bool apply(TJob_FilesAndFolders& job, QString& problem) const;

private:
    // The paths after args[i] into `into`: as stored entries, or as the paths of entries to remove.
    void takeSources(const QStringList& args, qsizetype& i, QString& problem, QStringList& into,
                     bool toRemove);

    bool editing;
    bool anyGiven = false;
    std::optional<QStringList> sources;
    QStringList added;
    QStringList removed;
    std::optional<TBackupType> backupType;
    std::optional<qint32> fullEvery;
    std::optional<qint32> keepFull;
    std::optional<bool> removeBefore;
    std::optional<TFilterType> filter;
    std::optional<QString> extensions;
};

// The sources checks of the wizard on `job`'s sources and filter (the extensions are brought into
// their stored form). False with `problem` set when they are refused; a notice that lets them pass
// goes to the error stream.
bool CheckSourcesOf(CliApp& app, TJob_FilesAndFolders& job, QString& problem);

// A checks' message as a terminal shows it: its CR LF line breaks as plain ones.
QString CheckMessageText(const TSettingsCheck& check);
