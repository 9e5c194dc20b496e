#include "scheduler/Schedule.h"

#include "base/Clock.h"
#include "scheduler/Timetable.h"

#include <QVarLengthArray>

#include <algorithm>

namespace {

const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();
constexpr int kDaysLookedBack = 100;
constexpr int kDaysLookedAhead = 400;

// ISO day of the week (1 Monday ... 7 Sunday); 1899-12-30 was a Saturday.
int isoDayOfWeek(qint64 day)
{
    const qint64 shifted = (day + 5) % 7;
    return int(shifted < 0 ? shifted + 7 : shifted) + 1;
}

using TTimesOfDay = QVarLengthArray<qint32, 16>;

// The timetable's well-formed entries as milliseconds of the day, in the timetable's order.
TTimesOfDay timesOfDay(const TSchedulingSettings& schedule)
{
    TTimesOfDay times;
    for (const QString& entry : schedule.TimeTable) {
        if (const std::optional<qint32> msecs = TimetableEntryMsecs(entry))
            times.append(*msecs);
    }
    return times;
}

} // namespace

TScheduleMoment TScheduleMoment::fromLocal(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    return {local.date().toJulianDay() - kEpochJulianDay, local.time().msecsSinceStartOfDay()};
}

TScheduleMoment TScheduleMoment::current()
{
    return fromLocal(Clock::currentDateTime());
}

TDateTime TScheduleMoment::toDateTime() const
{
    // The same arithmetic as DateTimeFromQDateTime, so values compare exactly with stored times.
    return double(Day) + MsecsOfDay / double(kMsecsPerDay);
}

qint64 TScheduleMoment::totalMsecs() const
{
    return Day * kMsecsPerDay + MsecsOfDay;
}

bool IsScheduledDay(const TSchedulingSettings& schedule, qint64 day)
{
    switch (schedule.SchedulingType) {
    case stDaysOfWeek:
        return schedule.DaysOfWeek[std::size_t(isoDayOfWeek(day))];
    case stDaysOfMonth:
        return schedule.DaysOfMonth[std::size_t(QDate::fromJulianDay(kEpochJulianDay + day).day())];
    default:
        return false;
    }
}

bool IsScheduledXDaysFrom(const TSchedulingSettings& schedule, qint32 daysCount, const TScheduleMoment& now)
{
    if (schedule.SchedulingType == stDisabled)
        return false;
    if (IsScheduledDay(schedule, now.Day)) {
        for (const QString& entry : schedule.TimeTable) {
            const std::optional<qint32> msecs = TimetableEntryMsecs(entry);
            if (msecs && *msecs > now.MsecsOfDay)
                return true;
        }
    }
    for (qint32 i = 1; i <= daysCount; ++i) {
        if (IsScheduledDay(schedule, now.Day + i))
            return true;
    }
    return false;
}

std::optional<TScheduleMoment> NearestPastStart(const TSchedulingSettings& schedule,
                                                const TScheduleMoment& now)
{
    const TTimesOfDay times = timesOfDay(schedule);
    if (times.isEmpty())
        return std::nullopt;
    // Walks back one calendar day at a time, keeping the day of the week and of the month by
    // arithmetic rather than converting every day into a date.
    const QDate today = QDate::fromJulianDay(kEpochJulianDay + now.Day);
    int weekDay = today.dayOfWeek();
    int monthDay = today.day();
    QDate month(today.year(), today.month(), 1);
    for (int j = 0; j <= kDaysLookedBack; ++j) {
        const qint64 day = now.Day - j;
        bool scheduled = true;
        if (schedule.SchedulingType == stDaysOfWeek)
            scheduled = schedule.DaysOfWeek[std::size_t(weekDay)];
        else if (schedule.SchedulingType == stDaysOfMonth)
            scheduled = schedule.DaysOfMonth[std::size_t(monthDay)];
        if (scheduled) {
            for (qsizetype k = times.size() - 1; k >= 0; --k) {
                const TScheduleMoment candidate{day, times[k]};
                if (candidate.totalMsecs() < now.totalMsecs())
                    return candidate;
            }
        }
        weekDay = weekDay == 1 ? 7 : weekDay - 1;
        if (--monthDay == 0) {
            month = month.addMonths(-1);
            monthDay = month.daysInMonth();
        }
    }
    return std::nullopt;
}

std::optional<TScheduleMoment> NextScheduledStart(const TSchedulingSettings& schedule,
                                                  const TScheduleMoment& now)
{
    if (schedule.SchedulingType == stDisabled)
        return std::nullopt;
    TTimesOfDay times = timesOfDay(schedule);
    if (times.isEmpty())
        return std::nullopt;
    std::sort(times.begin(), times.end());
    for (int j = 0; j <= kDaysLookedAhead; ++j) {
        const qint64 day = now.Day + j;
        if (!IsScheduledDay(schedule, day))
            continue;
        for (const qint32 msecs : times) {
            const TScheduleMoment candidate{day, msecs};
            if (candidate.totalMsecs() > now.totalMsecs())
                return candidate;
        }
    }
    return std::nullopt;
}

TDateTime NearestPastTaskBefore(const TSchedulingSettings& schedule, const TScheduleMoment& now)
{
    const std::optional<TScheduleMoment> start = NearestPastStart(schedule, now);
    return start ? start->toDateTime() : 0;
}

bool TJob::IsScheduledXDaysFromNow(qint32 DaysCount) const
{
    return IsScheduledXDaysFrom(SchedulingSettings, DaysCount, TScheduleMoment::current());
}

TDateTime TJob::GetDateTimeOfNearestPastTask() const
{
    return NearestPastTaskBefore(SchedulingSettings, TScheduleMoment::current());
}
