#include "events/EventsLog.h"
#include "base/Clock.h"
#include "options/uOptions.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

#include <thread>

namespace {

class EventsLogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        EventsQueue().takeAll();
        GlobalOptions.Logging.MaxNumberOfLinesInEventsLog = 50;
    }
    void TearDown() override { GlobalOptions = TOptions(); }
};

TEST_F(EventsLogTest, LineCarriesDateTimeAndText)
{
    Clock::setTestTime(QDateTime(QDate(2024, 3, 9), QTime(14, 5, 31)));
    AddEvent("Backup jobs are loaded.");
    Clock::resetTestTime();
    TEventsPanel panel;
    FlushEventsToLog(panel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    ASSERT_EQ(panel.Lines.size(), 1);
    const QString line = panel.Lines[0];
    EXPECT_TRUE(line.endsWith(": Backup jobs are loaded.")) << line.toStdString();
    EXPECT_TRUE(line.contains("14:05:31")) << line.toStdString();
    EXPECT_TRUE(line.contains("24") || line.contains("2024")) << line.toStdString();
}

TEST_F(EventsLogTest, PanelKeepsTheNewestLinesUpToTheLimit)
{
    struct Case
    {
        int limit;
        int events;
        int kept;
    } cases[] = {{50, 51, 50}, {50, 50, 50}, {0, 3, 0}, {2, 5, 2}};
    for (const Case& c : cases) {
        GlobalOptions.Logging.MaxNumberOfLinesInEventsLog = c.limit;
        TEventsPanel panel;
        for (int i = 1; i <= c.events; ++i)
            AddEvent(QString("event %1").arg(i));
        FlushEventsToLog(panel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
        ASSERT_EQ(panel.Lines.size(), c.kept);
        if (c.kept > 0) {
            EXPECT_TRUE(panel.Lines.last().endsWith(QString("event %1").arg(c.events)));
            EXPECT_TRUE(panel.Lines.first().endsWith(QString("event %1").arg(c.events - c.kept + 1)));
        }
        EXPECT_TRUE(EventsQueue().takeAll().isEmpty());
    }
}

TEST_F(EventsLogTest, FlushScrollsOnlyWithoutFocus)
{
    TEventsPanel panel;
    panel.HasFocus = true;
    AddEvent("a");
    FlushEventsToLog(panel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    EXPECT_FALSE(panel.ScrolledToEnd);
    panel.HasFocus = false;
    FlushEventsToLog(panel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    EXPECT_TRUE(panel.ScrolledToEnd);
}

TEST_F(EventsLogTest, EventsFromManyThreadsArriveWholeAndInPerThreadOrder)
{
    GlobalOptions.Logging.MaxNumberOfLinesInEventsLog = 100000;
    constexpr int kPerThread = 2000;
    std::thread a([] {
        for (int i = 0; i < kPerThread; ++i)
            AddEvent(QString("A %1").arg(i));
    });
    std::thread b([] {
        for (int i = 0; i < kPerThread; ++i)
            AddEvent(QString("B %1").arg(i));
    });
    TEventsPanel panel;
    // flushing while the workers add must lose nothing
    FlushEventsToLog(panel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    a.join();
    b.join();
    FlushEventsToLog(panel, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    ASSERT_EQ(panel.Lines.size(), 2 * kPerThread);
    int nextA = 0, nextB = 0;
    const QRegularExpression tail(": ([AB]) (\\d+)$");
    for (const QString& line : panel.Lines) {
        const auto match = tail.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        int& next = match.captured(1) == "A" ? nextA : nextB;
        EXPECT_EQ(match.captured(2).toInt(), next++);
    }
}

} // namespace
