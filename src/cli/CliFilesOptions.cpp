#include "cli/CliFilesOptions.h"

#include "cli/CliApp.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A source as the job stores it: a folder as its path followed by "/*", a file as its path.
bool sourceEntry(const QString& given, QString& entry, QString& problem)
{
    const bool markedFolder = given.endsWith(QLatin1String("/*")) || given == QLatin1String("*");
    QString path = markedFolder ? given.chopped(given == QLatin1String("*") ? 1 : 2) : given;
    if (path.isEmpty() && markedFolder)
        path = QStringLiteral("/");
    path = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo info(path);
    if (markedFolder || info.isDir()) {
        entry = (path == QLatin1String("/") ? QString() : path) + QStringLiteral("/*");
        return true;
    }
    if (info.isFile()) {
        entry = path;
        return true;
    }
    problem = QStringLiteral("the source does not exist: %1 (write a folder as %1/* to add it while it is "
                             "missing)")
                  .arg(path);
    return false;
}

// The path a source to remove names, as the job's entries are compared: absolute, without "/*".
QString removedPath(const QString& given)
{
    QString path = given;
    if (path.endsWith(QLatin1String("/*")))
        path.chop(2);
    return path.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(QDir(path).absolutePath());
}

bool readCount(const QString& text, std::optional<qint32>& value)
{
    bool ok = false;
    const qint32 number = text.toInt(&ok);
    value = number;
    return ok && number >= 0;
}

} // namespace

QString CheckMessageText(const TSettingsCheck& check)
{
    QString text = check.Message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

bool CheckSourcesOf(CliApp& app, TJob_FilesAndFolders& job, QString& problem)
{
    TSourceSettings& sources = job.Settings.Sources;
    const TSettingsCheck check = CheckFilesSources(sources.List, sources.FilterType, sources.Extensions);
    if (check.Refused()) {
        problem = CheckMessageText(check);
        return false;
    }
    if (check.Code != ccPassed)
        app.err << CheckMessageText(check) << "\n";
    return true;
}

void TCliFilesOptions::takeSources(const QStringList& args, qsizetype& i, QString& problem, QStringList& into,
                                   bool toRemove)
{
    const QString option = args.at(i);
    if (i + 1 >= args.size() || args.at(i + 1).startsWith(QLatin1String("--")))
        problem = option + QStringLiteral(" needs a path");
    while (problem.isEmpty() && i + 1 < args.size() && !args.at(i + 1).startsWith(QLatin1String("--"))) {
        const QString& given = args.at(++i);
        if (toRemove) {
            into.append(removedPath(given));
            continue;
        }
        QString entry;
        if (sourceEntry(given, entry, problem) && !into.contains(entry))
            into.append(entry);
    }
}

bool TCliFilesOptions::take(const QStringList& args, qsizetype& i, QString& problem)
{
    const QString& arg = args.at(i);
    bool taken = true;
    if (arg == QLatin1String("--source")) {
        if (!sources)
            sources = QStringList();
        takeSources(args, i, problem, *sources, false);
    } else if (editing && arg == QLatin1String("--add-source")) {
        takeSources(args, i, problem, added, false);
    } else if (editing && arg == QLatin1String("--remove-source")) {
        takeSources(args, i, problem, removed, true);
    } else if (arg == QLatin1String("--remove-before")) {
        removeBefore = true;
    } else if (editing && arg == QLatin1String("--no-remove-before")) {
        removeBefore = false;
    } else if (editing && arg == QLatin1String("--no-filter")) {
        if (filter)
            problem = QStringLiteral("give one of --include, --exclude and --no-filter, once");
        filter = ftNoFilters;
    } else if (i + 1 >= args.size()) {
        taken = false;
    } else if (arg == QLatin1String("--type")) {
        const QString type = args.at(++i);
        if (type == QLatin1String("mirror"))
            backupType = btSync;
        else if (type == QLatin1String("full"))
            backupType = btFull;
        else if (type == QLatin1String("incremental"))
            backupType = btInc;
        else
            problem = QStringLiteral("--type is mirror, full or incremental");
    } else if (arg == QLatin1String("--full-every")) {
        if (!readCount(args.at(++i), fullEvery))
            problem = QStringLiteral("--full-every takes a number of 0 or more");
    } else if (arg == QLatin1String("--keep-full")) {
        if (!readCount(args.at(++i), keepFull))
            problem = QStringLiteral("--keep-full takes a number of 0 or more");
    } else if (arg == QLatin1String("--include") || arg == QLatin1String("--exclude")) {
        if (filter)
            problem = editing ? QStringLiteral("give one of --include, --exclude and --no-filter, once")
                              : QStringLiteral("give either --include or --exclude, once");
        filter = arg == QLatin1String("--include") ? ftIncludeOnly : ftExclude;
        // Checked and brought into the stored form with the other sources checks.
        extensions = args.at(++i);
    } else {
        taken = false;
    }
    anyGiven = anyGiven || taken;
    return taken;
}

bool TCliFilesOptions::apply(TJob_FilesAndFolders& job, QString& problem) const
{
    TFilesAndFoldersSettings& settings = job.Settings;
    if (sources)
        settings.Sources.List = *sources;
    for (const QString& path : removed) {
        const auto before = settings.Sources.List.size();
        settings.Sources.List.removeIf(
            [&path](const QString& entry) { return SourceEntryPath(entry) == path; });
        if (settings.Sources.List.size() == before) {
            problem = QStringLiteral("%1 is not a source of the job").arg(path);
            return false;
        }
    }
    for (const QString& entry : added) {
        if (!settings.Sources.List.contains(entry))
            settings.Sources.List.append(entry);
    }
    if (filter)
        settings.Sources.FilterType = *filter;
    if (extensions)
        settings.Sources.Extensions = *extensions;
    if (backupType)
        settings.Backup.BackupType = *backupType;
    if (fullEvery)
        settings.Backup.PerformFullBackup_EveryCopies = *fullEvery;
    if (keepFull)
        settings.Backup.NumberFullCopiesToKeep = *keepFull;
    if (removeBefore)
        settings.Backup.RemoveOldBackupsBeforeStartingNewBackup = *removeBefore;
    job.NewSubfolderIsCreatedForEachBackup = settings.Backup.BackupType != btSync;
    return true;
}
