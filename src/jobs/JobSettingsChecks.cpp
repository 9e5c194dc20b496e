#include "jobs/JobSettingsChecks.h"

#include "i18n/Translate.h"
#include "platform/DirectoryListing.h"

#include <QDir>
#include <QHash>

#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

TSettingsCheck Refusal(TSettingsCheckCode code, const QString& message, bool isError = false)
{
    return TSettingsCheck{code, isError, message};
}

QString ExtensionsHelp()
{
    return Translate(QStringLiteral("Please specify extensions separated by ;")) + kCrLf +
           Translate(QStringLiteral("Example:")) + ' ' + QStringLiteral("txt;doc;exe");
}

QString LastComponent(const QString& path)
{
    if (path == QLatin1String("/"))
        return {};
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

TSettingsCheck NormalizeExtensionFilter(QString& extensions)
{
    QString text;
    text.reserve(extensions.size());
    for (const QChar c : std::as_const(extensions))
        if (!c.isSpace())
            text.append(c);
    text = text.toLower();
    if (text.startsWith(';'))
        text.remove(0, 1);
    if (text.endsWith(';'))
        text.chop(1);
    extensions = text;

    if (text.isEmpty())
        return Refusal(ccBadExtensionFilter, ExtensionsHelp());
    for (const QChar c : std::as_const(text))
        if (QStringLiteral("*/\\,.").contains(c))
            return Refusal(ccBadExtensionFilter,
                           Translate(QStringLiteral("Characters * . , \\ / are not allowed.")) + kCrLf +
                               kCrLf + ExtensionsHelp());
    return {};
}

bool IsFolderSourceEntry(const QString& entry)
{
    return entry.endsWith('*');
}

QString SourceEntryPath(const QString& entry)
{
    if (!IsFolderSourceEntry(entry))
        return entry;
    QString folder = entry;
    folder.chop(entry.endsWith(QLatin1String("/*")) ? 2 : 1);
    return folder.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(folder);
}

QString GetDuplicatedNamesOfFoldersOrFiles(const QStringList& sources)
{
    // Lower-case name -> the path that first had it, one table per kind.
    QHash<QString, QString> folders;
    QHash<QString, QString> files;
    for (const QString& entry : sources) {
        const QString path = SourceEntryPath(entry);
        const QString name = LastComponent(path).toLower();
        if (name.isEmpty())
            continue;
        QHash<QString, QString>& seen = IsFolderSourceEntry(entry) ? folders : files;
        const auto earlier = seen.constFind(name);
        if (earlier != seen.constEnd())
            return path + kCrLf + earlier.value();
        seen.insert(name, path);
    }
    return {};
}

QStringList ExistingSources(const QStringList& sources)
{
    QStringList existing;
    for (const QString& entry : sources) {
        const QString path = SourceEntryPath(entry);
        if (IsFolderSourceEntry(entry) ? SourceFolderExists(path) : SourceFileExists(path))
            existing.append(entry);
    }
    return existing;
}

TSettingsCheck CheckFilesSources(const QStringList& sources, TFilterType filterType, QString& extensions)
{
    if (sources.isEmpty())
        return Refusal(ccNoSources, Translate(QStringLiteral("Please add one or more sources to the list")));
    if (filterType != ftNoFilters) {
        TSettingsCheck filter = NormalizeExtensionFilter(extensions);
        if (filter.Refused())
            return filter;
    }
    const QString clash = GetDuplicatedNamesOfFoldersOrFiles(sources);
    if (!clash.isEmpty())
        return Refusal(
            ccDuplicatedNames,
            Translate(QStringLiteral("Among the items there are files or folders having the same name, "
                                     "therefore they could be overwritten by each other and you could "
                                     "have incorrect backups.")) +
                kCrLf + kCrLf + Translate(QStringLiteral("Example:")) + kCrLf + clash,
            true);
    for (const QString& entry : sources) {
        if (IsFolderSourceEntry(entry) && SourceEntryPath(entry) == QLatin1String("/"))
            return TSettingsCheck{
                ccWholeFileSystem, false,
                Translate(QStringLiteral("You have selected the whole file system / for backup.")) + kCrLf +
                    kCrLf +
                    Translate(
                        QStringLiteral("Please note that only the files and folders will be copied. You will "
                                       "not be able to restore the entire operating system from this "
                                       "backup.")) +
                    kCrLf +
                    Translate(
                        QStringLiteral("If you want to make an exact copy of the operating system with all "
                                       "settings, files and applications, exit the Wizard.")) +
                    kCrLf +
                    Translate(
                        QStringLiteral("Then create a new backup job of type \"Drive Image Backup\"."))};
    }
    return {};
}

TSettingsCheck CheckExternalDestination(const QString& path)
{
    if (path.isEmpty() || !SourceFolderExists(path))
        return Refusal(ccNoSuchFolder, Translate(QStringLiteral("Please choose existing folder")));
    return {};
}

TSettingsCheck CheckNetworkDestination(const QString& uncPath)
{
    if (uncPath.size() <= 1)
        return Refusal(ccBadUncPath, Translate(QStringLiteral("Please choose correct UNC-path")));
    return {};
}

TSettingsCheck CheckDriveImageSources(const QStringList& drives)
{
    if (drives.isEmpty())
        return Refusal(ccNoSources, Translate(QStringLiteral("Please add one or more sources to the list")));
    return {};
}

TSettingsCheck CheckDiskChosen(const QString& disk)
{
    if (disk.isEmpty())
        return Refusal(ccNoDiskChosen, Translate(QStringLiteral("Please choose a disk")));
    return {};
}

TSettingsCheck CheckSchedule(const TSchedulingSettings& schedule)
{
    if (schedule.SchedulingType == stDisabled)
        return {};
    const bool anyDay = schedule.SchedulingType == stDaysOfWeek
                            ? std::any_of(schedule.DaysOfWeek.begin() + 1, schedule.DaysOfWeek.end(),
                                          [](bool day) { return day; })
                            : std::any_of(schedule.DaysOfMonth.begin() + 1, schedule.DaysOfMonth.end(),
                                          [](bool day) { return day; });
    if (!anyDay)
        return Refusal(ccNoDay, Translate(QStringLiteral("Please specify at least one day.")));
    if (schedule.TimeTable.isEmpty())
        return Refusal(ccEmptyTimetable,
                       Translate(QStringLiteral("Please add at least one record to the timetable.")));
    return {};
}
