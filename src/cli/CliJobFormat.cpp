#include "cli/CliJobFormat.h"

#include "jobs/JobStatusText.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "scheduler/Schedule.h"

#include <QJsonArray>

namespace {

QString dateTimeText(TDateTime value)
{
    return value == 0 ? QString() : QDateTimeFromDateTime(value).toString(Qt::ISODate);
}

QJsonArray toArray(const QStringList& values)
{
    return QJsonArray::fromStringList(values);
}

QString labelForKey(const QString& key)
{
    QString label = key;
    label.replace('_', ' ');
    if (!label.isEmpty())
        label[0] = label[0].toUpper();
    return label;
}

// The next scheduled start, as the job list's tooltip tells it: empty without a schedule or without a
// start in the time the schedule looks ahead.
QString nextStartText(const TSchedulingSettings& schedule)
{
    if (schedule.SchedulingType == stDisabled)
        return {};
    const std::optional<TScheduleMoment> next = NextScheduledStart(schedule, TScheduleMoment::current());
    return next ? dateTimeText(next->toDateTime()) : QString();
}

QJsonObject scheduleJson(const TSchedulingSettings& schedule)
{
    static const char* kTypes[] = {"disabled", "days_of_week", "days_of_month"};
    QJsonArray weekDays;
    for (int day = 1; day <= 7; ++day) {
        if (schedule.DaysOfWeek[std::size_t(day)])
            weekDays.append(day);
    }
    QJsonArray monthDays;
    for (int day = 1; day <= 31; ++day) {
        if (schedule.DaysOfMonth[std::size_t(day)])
            monthDays.append(day);
    }
    const int type = int(schedule.SchedulingType);
    return QJsonObject{
        {"type", type >= 0 && type < 3 ? kTypes[type] : "unknown"},
        {"days_of_week", weekDays},
        {"days_of_month", monthDays},
        {"timetable", toArray(schedule.TimeTable)},
        {"last_modified", dateTimeText(schedule.LastModificationDateTime)},
        {"run_missed_start", schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed},
        {"shutdown_at_end", schedule.ShutdownPCInTheEnd},
        {"next_start", nextStartText(schedule)},
    };
}

QString jsonValueText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QJsonValue::String:
        return value.toString();
    default:
        return {};
    }
}

void printValue(QTextStream& out, const QString& indent, const QString& label, const QJsonValue& value)
{
    if (value.isObject()) {
        out << indent << label << ":\n";
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            printValue(out, indent + "  ", labelForKey(it.key()), it.value());
    } else if (value.isArray()) {
        const QJsonArray items = value.toArray();
        if (items.isEmpty()) {
            out << indent << label << ": -\n";
            return;
        }
        out << indent << label << ":\n";
        for (const QJsonValue& item : items)
            out << indent << "  " << jsonValueText(item) << "\n";
    } else {
        out << indent << label << ": " << jsonValueText(value) << "\n";
    }
}

} // namespace

QString JobKindName(const TJob& job)
{
    return job.Kind() == jkDriveImage ? QStringLiteral("image") : QStringLiteral("files");
}

QJsonObject JobSummaryJson(const TJob& job)
{
    return QJsonObject{
        {"name", job.stJobName},
        {"kind", JobKindName(job)},
        {"destination", job.DestinationPath},
        {"schedule", ScheduleSummary(job.SchedulingSettings)},
        {"next_start", nextStartText(job.SchedulingSettings)},
        {"status", JobStatusText(job.JobStatus.load())},
        {"last_result", LastResultText(job)},
    };
}

QJsonObject JobDetailsJson(const TJob& job)
{
    static const char* kDestinations[] = {"external_device", "network"};
    QJsonObject details{
        {"name", job.stJobName},
        {"kind", JobKindName(job)},
        {"destination_type", kDestinations[job.DestinationType == dtNetwork ? 1 : 0]},
        {"destination", job.DestinationPath},
        {"network_user", job.Destination_NetworkUsername},
        // The password itself is never printed; scripts only learn whether one is stored.
        {"network_password_set", !job.Destination_NetworkPassword.isEmpty()},
    };
    if (job.Kind() == jkFilesAndFolders) {
        static const char* kFilters[] = {"none", "include_only", "exclude"};
        static const char* kTypes[] = {"mirror", "full", "incremental"};
        const auto& s = static_cast<const TJob_FilesAndFolders&>(job).Settings;
        const int filter = int(s.Sources.FilterType);
        const int type = int(s.Backup.BackupType);
        details["sources"] = toArray(s.Sources.List);
        details["filter"] = filter >= 0 && filter < 3 ? kFilters[filter] : "unknown";
        details["extensions"] = s.Sources.Extensions;
        details["backup_type"] = type >= 0 && type < 3 ? kTypes[type] : "unknown";
        details["full_every"] = s.Backup.PerformFullBackup_EveryCopies;
        details["keep_full"] = s.Backup.NumberFullCopiesToKeep;
        details["remove_before"] = s.Backup.RemoveOldBackupsBeforeStartingNewBackup;
    } else if (job.Kind() == jkDriveImage) {
        const auto& s = static_cast<const TJob_DriveImage&>(job).Settings;
        details["volumes"] = toArray(s.SourceDrivesList);
        details["autoclean"] = s.AutocleanOldBackups;
        details["keep_versions"] = s.NumberOfBackupVersionsToKeep;
    }
    details["schedule"] = scheduleJson(job.SchedulingSettings);
    const TJobResult& result = job.LastJobResult;
    details["last_result"] = QJsonObject{
        {"text", LastResultText(job)},
        {"start", dateTimeText(result.StartTime.load())},
        {"end", dateTimeText(result.EndTime.load())},
        {"cancelled", result.Cancelled.load()},
        {"errors", result.ErrorsCount.load()},
        {"warnings", result.WarningsCount.load()},
    };
    details["status"] = JobStatusText(job.JobStatus.load());
    details["logs"] = toArray(job.LogList.snapshot());
    details["history_lines"] = int(job.BackupHistory.size());
    return details;
}

void PrintRecord(QTextStream& out, const QJsonObject& record)
{
    // Keys in a readable order: name and kind first, then the rest as QJsonObject sorts them.
    for (const char* first : {"name", "kind"}) {
        if (record.contains(first))
            printValue(out, QString(), labelForKey(first), record.value(first));
    }
    for (auto it = record.begin(); it != record.end(); ++it) {
        if (it.key() != "name" && it.key() != "kind")
            printValue(out, QString(), labelForKey(it.key()), it.value());
    }
}
