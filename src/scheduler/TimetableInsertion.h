#pragma once
// Adding a start time to a timetable the way the wizards keep it: no duplicates, ascending order.
#include "jobs/JobSettingsChecks.h"

#include <QStringList>
#include <QTime>

// Inserts the "hh:nn:ss" text of `time` into `timetable` in ascending order; refuses a time the list
// already holds (ccRecordExists, "Record already exists"). `insertedAt`, when given, receives the
// index of the new entry (-1 when refused).
TSettingsCheck InsertTimetableEntry(QStringList& timetable, const QTime& time,
                                    qsizetype* insertedAt = nullptr);
