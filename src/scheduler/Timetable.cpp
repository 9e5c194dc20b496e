#include "scheduler/Timetable.h"

#include <cmath>

namespace {

// Two decimal digits at `pos`, or -1.
int twoDigits(const QString& text, int pos)
{
    const QChar high = text.at(pos);
    const QChar low = text.at(pos + 1);
    if (high < '0' || high > '9' || low < '0' || low > '9')
        return -1;
    return (high.unicode() - '0') * 10 + (low.unicode() - '0');
}

QString twoDigitText(int value)
{
    return QString::number(value).rightJustified(2, '0');
}

} // namespace

QString FormatTimetableTime(const QTime& time)
{
    return twoDigitText(time.hour()) + ':' + twoDigitText(time.minute()) + ':' + twoDigitText(time.second());
}

QString FormatTimetableTime(TDateTime time)
{
    const double fraction = std::fabs(time - std::trunc(time));
    // Whole milliseconds first, so that a value stored for 07:30:00 does not read as 07:29:59.
    qint64 msecs = std::llround(fraction * kMsecsPerDay);
    if (msecs >= kMsecsPerDay)
        msecs = kMsecsPerDay - 1;
    return FormatTimetableTime(QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

std::optional<qint32> TimetableEntryMsecs(const QString& entry)
{
    if (entry.size() != 8 || entry.at(2) != ':' || entry.at(5) != ':')
        return std::nullopt;
    const int hours = twoDigits(entry, 0);
    const int minutes = twoDigits(entry, 3);
    const int seconds = twoDigits(entry, 6);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return std::nullopt;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000;
}

TDateTime ParseTimetableTime(const QString& entry)
{
    const std::optional<qint32> msecs = TimetableEntryMsecs(entry);
    if (!msecs)
        throw TTimetableError("'" + entry.toStdString() + "' is not a valid time");
    return *msecs / double(kMsecsPerDay);
}
