#include "scheduler/Schedule.h"
#include "base/Clock.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "scheduler/Timetable.h"

#include <gtest/gtest.h>

namespace {

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec));
}

TDateTime value(const QDateTime& when)
{
    return DateTimeFromQDateTime(when);
}

TEST(TimetableTest, FormatsTimesOfDayDroppingMilliseconds)
{
    const struct
    {
        QTime time;
        const char* text;
    } cases[] = {
        {QTime(0, 0, 0), "00:00:00"},       {QTime(7, 30, 0), "07:30:00"},
        {QTime(7, 5, 9, 999), "07:05:09"},  {QTime(23, 59, 59, 999), "23:59:59"},
        {QTime(12, 0, 0, 500), "12:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatTimetableTime(c.time), c.text) << c.text;
        // The same time of day carried in a date-time value.
        const TDateTime dateTime = 45000 + c.time.msecsSinceStartOfDay() / 86400000.0;
        EXPECT_EQ(FormatTimetableTime(dateTime), c.text) << c.text;
    }
}

TEST(TimetableTest, ParsesEveryWellFormedEntryBackToItsTime)
{
    for (int second = 0; second < 86400; second += 7) {
        const QTime time = QTime(0, 0).addSecs(second);
        const QString text = FormatTimetableTime(time);
        EXPECT_DOUBLE_EQ(ParseTimetableTime(text), time.msecsSinceStartOfDay() / 86400000.0)
            << qPrintable(text);
        EXPECT_EQ(FormatTimetableTime(ParseTimetableTime(text)), text);
    }
    EXPECT_DOUBLE_EQ(ParseTimetableTime("07:30:00"), 0.3125);
}

TEST(TimetableTest, RejectsTextThatIsNotAnEntry)
{
    for (const char* text : {"", "7:30:00", "07:30", "07:30:00 ", " 07:30:00", "24:00:00", "07:60:00",
                             "07:30:60", "07-30-00", "ab:cd:ef", "07:3a:00", "+7:30:00", "07:30:000"}) {
        EXPECT_THROW(ParseTimetableTime(text), TTimetableError) << '"' << text << '"';
        EXPECT_FALSE(TimetableEntryMsecs(text).has_value()) << text;
    }
}

class ScheduleTest : public testing::Test
{
protected:
    void TearDown() override { Clock::resetTestTime(); }
};

TEST_F(ScheduleTest, ComparisonsAreStrictAtTheExactMoment)
{
    TJob_FilesAndFolders job("Monday");
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[1] = true;
    job.SchedulingSettings.TimeTable = {"08:00:00", "20:00:00"};

    Clock::setTestTime(at(2024, 3, 4, 20, 0, 0, 0));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(0)) << "20:00:00 is not later than 20:00:00";
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 3, 4, 8, 0)));

    Clock::setTestTime(at(2024, 3, 4, 19, 59, 59, 999));
    EXPECT_TRUE(job.IsScheduledXDaysFromNow(0));

    Clock::setTestTime(at(2024, 3, 4, 20, 0, 0, 1));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 3, 4, 20, 0)));
}

TEST_F(ScheduleTest, WeekDayScheduleFindsLaterTodayAndThePreviousStart)
{
    TJob_FilesAndFolders job("Monday");
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[1] = true;
    job.SchedulingSettings.TimeTable = {"08:00:00", "20:00:00"};

    Clock::setTestTime(at(2024, 3, 4, 12, 0));
    EXPECT_TRUE(job.IsScheduledXDaysFromNow(0));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 3, 4, 8, 0)));

    // Before the day's first start the previous Monday's last start is the nearest.
    Clock::setTestTime(at(2024, 3, 4, 7, 0));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 2, 26, 20, 0)));

    // Monday night: nothing later today, and Tuesday is not a scheduled day.
    Clock::setTestTime(at(2024, 3, 4, 21, 0));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(1));
    // Sunday night: Monday is tomorrow.
    Clock::setTestTime(at(2024, 3, 3, 21, 0));
    EXPECT_TRUE(job.IsScheduledXDaysFromNow(1));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(0));
}

TEST_F(ScheduleTest, EmptyTimetableHasNoPastStartButTomorrowStillCounts)
{
    TJob_FilesAndFolders job("Empty");
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[2] = true; // Tuesday
    Clock::setTestTime(at(2024, 3, 4, 12, 0));   // Monday
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), 0);
    EXPECT_TRUE(job.IsScheduledXDaysFromNow(1));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(0));

    job.SchedulingSettings.DaysOfWeek[2] = false;
    job.SchedulingSettings.DaysOfWeek[3] = true; // Wednesday: two days ahead
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(1));
    EXPECT_TRUE(job.IsScheduledXDaysFromNow(2));
}

TEST_F(ScheduleTest, MonthDaysThatAMonthLacksAreNeverHit)
{
    TJob_FilesAndFolders job("Month end");
    job.SchedulingSettings.SchedulingType = stDaysOfMonth;
    job.SchedulingSettings.DaysOfMonth[31] = true;
    job.SchedulingSettings.TimeTable = {"20:00:00"};

    Clock::setTestTime(at(2024, 4, 15, 12, 0));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(1));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 3, 31, 20, 0)));

    Clock::setTestTime(at(2024, 1, 15, 12, 0));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2023, 12, 31, 20, 0))) << "across the year's end";

    // April 30th evening: tomorrow is May 1st, not a 31st.
    Clock::setTestTime(at(2024, 4, 30, 21, 0));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(1));
    // May 30th: tomorrow is the 31st.
    Clock::setTestTime(at(2024, 5, 30, 21, 0));
    EXPECT_TRUE(job.IsScheduledXDaysFromNow(1));

    // Day 30 is skipped in February (leap year included).
    job.SchedulingSettings.DaysOfMonth[31] = false;
    job.SchedulingSettings.DaysOfMonth[30] = true;
    Clock::setTestTime(at(2024, 3, 29, 12, 0));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 1, 30, 20, 0)));
}

TEST_F(ScheduleTest, NoScheduledDayGivesNoPastStartAndAnEarlyTimeFallsToYesterday)
{
    const TScheduleMoment now = TScheduleMoment::fromLocal(at(2024, 6, 15, 12, 0));
    TSchedulingSettings schedule;
    schedule.SchedulingType = stDaysOfMonth;
    schedule.TimeTable = {"09:00:00"};
    EXPECT_EQ(NearestPastTaskBefore(schedule, now), 0) << "no day ticked in the whole window";

    schedule.DaysOfMonth.fill(true);
    schedule.TimeTable = {"13:00:00"};
    EXPECT_EQ(NearestPastTaskBefore(schedule, now), value(at(2024, 6, 14, 13, 0)));
}

TEST_F(ScheduleTest, DisabledScheduleNeverComesSoonButStillHasAPastStart)
{
    TJob_FilesAndFolders job("Disabled");
    job.SchedulingSettings.SchedulingType = stDisabled;
    job.SchedulingSettings.DaysOfWeek.fill(true);
    job.SchedulingSettings.DaysOfMonth.fill(true);
    job.SchedulingSettings.TimeTable = {"08:00:00", "20:00:00"};

    Clock::setTestTime(at(2024, 3, 4, 7, 0));
    EXPECT_FALSE(job.IsScheduledXDaysFromNow(1));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 3, 3, 20, 0)));
    Clock::setTestTime(at(2024, 3, 4, 9, 0));
    EXPECT_EQ(job.GetDateTimeOfNearestPastTask(), value(at(2024, 3, 4, 8, 0)));
}

TEST_F(ScheduleTest, TimetableIsScannedFromItsLastEntryAndMalformedEntriesAreSkipped)
{
    TSchedulingSettings schedule;
    schedule.SchedulingType = stDaysOfWeek;
    schedule.DaysOfWeek.fill(true);
    const TScheduleMoment now = TScheduleMoment::fromLocal(at(2024, 3, 4, 21, 0));

    // Out of order: the last entry earlier than now wins, not the latest time.
    schedule.TimeTable = {"20:00:00", "08:00:00"};
    EXPECT_EQ(NearestPastTaskBefore(schedule, now), value(at(2024, 3, 4, 8, 0)));

    schedule.TimeTable = {"08:00:00", "20:00:00", "25:00:00", "bad"};
    EXPECT_EQ(NearestPastTaskBefore(schedule, now), value(at(2024, 3, 4, 20, 0)));
    EXPECT_FALSE(IsScheduledXDaysFrom(schedule, 0, now)) << "a malformed entry is never later today";
}

TEST_F(ScheduleTest, NextStartIsTheEarliestLaterStartOnAScheduledDay)
{
    TSchedulingSettings schedule;
    schedule.SchedulingType = stDaysOfWeek;
    schedule.DaysOfWeek[1] = true; // Monday
    schedule.TimeTable = {"20:00:00", "08:00:00", "bad"};
    const auto next = [&schedule](const QDateTime& now) {
        const std::optional<TScheduleMoment> start =
            NextScheduledStart(schedule, TScheduleMoment::fromLocal(now));
        return start ? start->toDateTime() : 0;
    };
    EXPECT_EQ(next(at(2024, 3, 4, 7, 0)), value(at(2024, 3, 4, 8, 0))) << "entries in any order";
    EXPECT_EQ(next(at(2024, 3, 4, 8, 0)), value(at(2024, 3, 4, 20, 0))) << "strictly later";
    EXPECT_EQ(next(at(2024, 3, 4, 21, 0)), value(at(2024, 3, 11, 8, 0))) << "the next Monday";

    schedule.SchedulingType = stDaysOfMonth;
    schedule.DaysOfMonth[29] = true;
    EXPECT_EQ(next(at(2023, 3, 1, 12, 0)), value(at(2023, 3, 29, 8, 0)));
    schedule.DaysOfMonth[29] = false;
    schedule.DaysOfMonth[31] = true;
    EXPECT_EQ(next(at(2024, 4, 1, 12, 0)), value(at(2024, 5, 31, 8, 0))) << "April has no 31st";

    schedule.DaysOfMonth.fill(false);
    EXPECT_EQ(next(at(2024, 4, 1, 12, 0)), 0) << "no scheduled day";
    schedule.DaysOfMonth.fill(true);
    schedule.SchedulingType = stDisabled;
    EXPECT_EQ(next(at(2024, 4, 1, 12, 0)), 0) << "disabled";
    schedule.SchedulingType = stDaysOfWeek;
    schedule.TimeTable.clear();
    EXPECT_EQ(next(at(2024, 4, 1, 12, 0)), 0) << "no start time";
}

} // namespace
