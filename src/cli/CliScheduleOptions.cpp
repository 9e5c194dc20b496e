#include "cli/CliScheduleOptions.h"

#include "scheduler/Timetable.h"
#include "scheduler/TimetableInsertion.h"

namespace {

const char* const kDayNames[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

// "mon" ... "sun" or the whole English name, in any letter case: 1 Monday ... 7 Sunday; 0 otherwise.
int weekDayNumber(const QString& word)
{
    const QString lower = word.trimmed().toLower();
    static const char* const kFullNames[] = {"monday", "tuesday",  "wednesday", "thursday",
                                             "friday", "saturday", "sunday"};
    for (int day = 0; day < 7; ++day) {
        if (lower == QLatin1String(kDayNames[day]) || lower == QLatin1String(kFullNames[day]))
            return day + 1;
    }
    return 0;
}

// The items of a comma-separated list; an empty text is an empty list (no day at all).
QStringList listItems(const QString& text)
{
    return text.trimmed().isEmpty() ? QStringList() : text.split(',');
}

} // namespace

bool TCliScheduleOptions::take(const QStringList& args, qsizetype& i, QString& problem)
{
    const QString& arg = args.at(i);
    auto typeOnce = [&](TSchedulingType chosen) {
        if (type && *type != chosen)
            problem = QStringLiteral("give one of --days-of-week, --days-of-month and --no-schedule");
        type = chosen;
    };
    if (arg == QLatin1String("--no-schedule")) {
        typeOnce(stDisabled);
    } else if (arg == QLatin1String("--run-missed") || arg == QLatin1String("--no-run-missed")) {
        runMissed = arg == QLatin1String("--run-missed");
    } else if (arg == QLatin1String("--shutdown-at-end") || arg == QLatin1String("--no-shutdown-at-end")) {
        shutdownAtEnd = arg == QLatin1String("--shutdown-at-end");
    } else if (i + 1 >= args.size()) {
        return false;
    } else if (arg == QLatin1String("--days-of-week")) {
        typeOnce(stDaysOfWeek);
        for (const QString& item : listItems(args.at(++i))) {
            const int day = weekDayNumber(item);
            if (day == 0)
                problem = QStringLiteral("--days-of-week takes day names such as mon,tue,sun, not \"%1\"")
                              .arg(item);
            else
                weekDays[std::size_t(day)] = true;
        }
    } else if (arg == QLatin1String("--days-of-month")) {
        typeOnce(stDaysOfMonth);
        for (const QString& item : listItems(args.at(++i))) {
            bool number = false;
            const int day = item.trimmed().toInt(&number);
            if (!number || day < 1 || day > 31)
                problem = QStringLiteral("--days-of-month takes days 1 to 31 such as 1,15,31, not \"%1\"")
                              .arg(item);
            else
                monthDays[std::size_t(day)] = true;
        }
    } else if (arg == QLatin1String("--at")) {
        const QString time = args.at(++i);
        if (!TimetableEntryMsecs(time))
            problem = QStringLiteral("--at takes a time of day as HH:MM:SS, not \"%1\"").arg(time);
        if (!times)
            times = QStringList();
        times->append(time);
    } else {
        return false;
    }
    anyGiven = true;
    return true;
}

TSettingsCheck TCliScheduleOptions::apply(TSchedulingSettings& schedule) const
{
    if (times) {
        QStringList timetable;
        for (const QString& time : *times) {
            const TSettingsCheck inserted =
                InsertTimetableEntry(timetable, QTime::fromMSecsSinceStartOfDay(*TimetableEntryMsecs(time)));
            if (inserted.Refused())
                return inserted;
        }
        schedule.TimeTable = timetable;
    }
    if (type) {
        schedule.SchedulingType = *type;
        if (*type == stDaysOfWeek)
            schedule.DaysOfWeek = weekDays;
        else if (*type == stDaysOfMonth)
            schedule.DaysOfMonth = monthDays;
    }
    if (runMissed)
        schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = *runMissed;
    if (shutdownAtEnd)
        schedule.ShutdownPCInTheEnd = *shutdownAtEnd;
    return CheckSchedule(schedule);
}

QString TCliScheduleOptions::help()
{
    return QStringLiteral(
        "Schedule options (create and edit, both kinds):\n"
        "  --days-of-week mon,tue,...  runs on these days of the week (mon tue wed thu fri sat sun)\n"
        "  --days-of-month 1,15,31     or on these days of the month (one kind of days at a time)\n"
        "  --at HH:MM:SS               a start time; repeat it for more (kept in order; a time given\n"
        "                              twice is refused). With edit, the times given replace the old\n"
        "                              ones\n"
        "  --no-schedule               no scheduled starts (the days and times are kept for later)\n"
        "  --run-missed | --no-run-missed\n"
        "                              runs as soon as possible after a missed start, or skips it\n"
        "                              (a new job runs missed starts)\n"
        "  --shutdown-at-end | --no-shutdown-at-end\n"
        "                              turns the computer off after the day's last scheduled run\n"
        "Days need at least one day and one --at time.\n");
}
