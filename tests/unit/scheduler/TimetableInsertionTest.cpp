#include "scheduler/TimetableInsertion.h"

#include <gtest/gtest.h>

namespace {

TEST(TimetableInsertionTest, TimesGoInAscendingOrder)
{
    struct Case
    {
        QStringList before;
        QTime time;
        QStringList after;
        qsizetype index;
    };
    const Case cases[] = {
        {{}, QTime(0, 0), {"00:00:00"}, 0},
        {{"08:00:00", "20:00:00"}, QTime(12, 0), {"08:00:00", "12:00:00", "20:00:00"}, 1},
        {{"06:00:00", "08:00:00"}, QTime(7, 0), {"06:00:00", "07:00:00", "08:00:00"}, 1},
        {{"08:00:00", "20:00:00"}, QTime(23, 59, 59), {"08:00:00", "20:00:00", "23:59:59"}, 2},
        {{"08:00:00", "20:00:00"}, QTime(7, 59, 59), {"07:59:59", "08:00:00", "20:00:00"}, 0},
        {{"01:00:00", "02:00:00", "03:00:00", "04:00:00"},
         QTime(3, 30),
         {"01:00:00", "02:00:00", "03:00:00", "03:30:00", "04:00:00"},
         3},
        // Milliseconds are dropped, never rounded up.
        {{"08:00:00"}, QTime(9, 5, 7, 999), {"08:00:00", "09:05:07"}, 1},
        // An entry out of order gives no place between two: the time goes last.
        {{"05:00:00", "20:00:00", "10:00:00"},
         QTime(15, 0),
         {"05:00:00", "20:00:00", "10:00:00", "15:00:00"},
         3},
    };
    for (const Case& c : cases) {
        QStringList timetable = c.before;
        qsizetype index = -2;
        const TSettingsCheck check = InsertTimetableEntry(timetable, c.time, &index);
        EXPECT_EQ(check.Code, ccPassed);
        EXPECT_EQ(timetable, c.after) << c.before.join(' ').toStdString();
        EXPECT_EQ(index, c.index) << c.before.join(' ').toStdString();
    }
}

TEST(TimetableInsertionTest, ATimeAlreadyThereIsRefused)
{
    QStringList timetable = {"08:00:00", "12:00:00", "20:00:00"};
    qsizetype index = 0;
    const TSettingsCheck check = InsertTimetableEntry(timetable, QTime(8, 0, 0, 500), &index);
    EXPECT_EQ(check.Code, ccRecordExists);
    EXPECT_TRUE(check.Refused());
    EXPECT_EQ(check.Message, "Record already exists");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(timetable, QStringList({"08:00:00", "12:00:00", "20:00:00"}));
}

} // namespace
