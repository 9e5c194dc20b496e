#pragma once
// Date-time values as the job and options files store them: days since 1899-12-30 00:00 local time,
// the fraction being the time of day; 0 means "never".
#include <QDateTime>

using TDateTime = double;

TDateTime DateTimeFromQDateTime(const QDateTime& when);
QDateTime QDateTimeFromDateTime(TDateTime value);
// The current local time, from the program's clock.
TDateTime Now();

// The user's long time format without its time-zone part ("hh:mm:ss" style).
QString LongTimeFormat();
// A moment in the user's short date and long time formats, e.g. "09.03.2024 14:05:31".
QString FormatShortDateLongTime(const QDateTime& when);
