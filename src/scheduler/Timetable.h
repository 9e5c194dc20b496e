#pragma once
// Timetable entries: eight-character "hh:nn:ss" texts naming the start times of a scheduled day.
#include "base/DateTime.h"

#include <QString>
#include <QTime>

#include <optional>
#include <stdexcept>

// Raised by ParseTimetableTime for a text that is not a valid "hh:nn:ss" entry.
class TTimetableError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

constexpr qint32 kMsecsPerDay = 86400000;

// "hh:nn:ss" of a time of day; milliseconds are dropped, not rounded.
QString FormatTimetableTime(const QTime& time);
// The same for the time-of-day part (the fraction) of a date-time value.
QString FormatTimetableTime(TDateTime time);

// The time of day of an entry as a fraction of a day; throws TTimetableError when the text is not
// exactly two-digit hours 00-23, minutes 00-59 and seconds 00-59 separated by colons.
TDateTime ParseTimetableTime(const QString& entry);
// The time of day of an entry in milliseconds since midnight, or no value for a malformed entry.
std::optional<qint32> TimetableEntryMsecs(const QString& entry);
