#include "scheduler/TimetableInsertion.h"

#include "i18n/Translate.h"
#include "scheduler/Timetable.h"

namespace {

// Entries that are not "hh:nn:ss" (only a hand-edited file holds them) sort after every valid one.
qint32 EntryMsecs(const QString& entry)
{
    return TimetableEntryMsecs(entry).value_or(kMsecsPerDay);
}

qsizetype InsertionIndex(const QStringList& timetable, qint32 msecs)
{
    if (timetable.isEmpty() || msecs > EntryMsecs(timetable.last()))
        return timetable.size();
    if (msecs < EntryMsecs(timetable.first()))
        return 0;
    for (qsizetype c = 1; c < timetable.size(); ++c)
        if (EntryMsecs(timetable.at(c - 1)) < msecs && msecs < EntryMsecs(timetable.at(c)))
            return c;
    // A list that is not in order has no such place: the new time goes last.
    return timetable.size();
}

} // namespace

TSettingsCheck InsertTimetableEntry(QStringList& timetable, const QTime& time, qsizetype* insertedAt)
{
    if (insertedAt)
        *insertedAt = -1;
    const QString text = FormatTimetableTime(time);
    if (timetable.contains(text))
        return TSettingsCheck{ccRecordExists, false, Translate(QStringLiteral("Record already exists"))};
    const qsizetype index = InsertionIndex(timetable, TimetableEntryMsecs(text).value_or(0));
    timetable.insert(index, text);
    if (insertedAt)
        *insertedAt = index;
    return {};
}
