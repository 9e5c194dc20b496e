#pragma once
// Date-time values as the job and options files store them: days since 1899-12-30 00:00 local time,
// the fraction being the time of day; 0 means "never".
#include <QDateTime>

using TDateTime = double;

TDateTime DateTimeFromQDateTime(const QDateTime& when);
QDateTime QDateTimeFromDateTime(TDateTime value);
// The current local time, from the program's clock.
TDateTime Now();
