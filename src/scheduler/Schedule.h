#pragma once
// Schedule evaluation: whether a job starts soon, and when its most recent scheduled start was.
// Times are local wall-clock times; days are stepped as calendar days of local time.
#include "jobs/uJob.h"

#include <QDateTime>

#include <optional>

// One moment as the schedule sees it: a local calendar day and a time of day in milliseconds.
struct TScheduleMoment
{
    qint64 Day = 0; // days since 1899-12-30
    qint32 MsecsOfDay = 0;

    static TScheduleMoment fromLocal(const QDateTime& when);
    // The program clock's current moment.
    static TScheduleMoment current();
    TDateTime toDateTime() const;
    // Milliseconds since 1899-12-30 00:00 local time, for exact comparisons.
    qint64 totalMsecs() const;
};

// Whether `day` (days since 1899-12-30) is a scheduled day under a week-day or month-day rule;
// a disabled schedule has no scheduled days.
bool IsScheduledDay(const TSchedulingSettings& schedule, qint64 day);

// True when a timetable time strictly later than `now` remains on a scheduled today, or when one of
// the next `daysCount` days is a scheduled day (the timetable is not consulted for those).
bool IsScheduledXDaysFrom(const TSchedulingSettings& schedule, qint32 daysCount, const TScheduleMoment& now);

// The latest scheduled start strictly before `now`, looking at today and the 100 days before it;
// 0 when there is none. A disabled schedule counts every day. Malformed timetable entries are
// ignored. Entries are tried from the last to the first, so the timetable must be in ascending order
// for the result to be the latest start of its day.
TDateTime NearestPastTaskBefore(const TSchedulingSettings& schedule, const TScheduleMoment& now);
// The same start as a moment, or no value.
std::optional<TScheduleMoment> NearestPastStart(const TSchedulingSettings& schedule,
                                                const TScheduleMoment& now);

// The earliest scheduled start strictly after `now`, looking at today and the 400 days after it; no
// value for a disabled schedule, an empty timetable or no scheduled day in that time. Malformed
// timetable entries are ignored; the entries may be in any order.
std::optional<TScheduleMoment> NextScheduledStart(const TSchedulingSettings& schedule,
                                                  const TScheduleMoment& now);
