#pragma once
// The program's one source of the current time. Tests set it to a fixed moment and move it on by hand.
#include <QDateTime>

class Clock
{
public:
    static QDateTime currentDateTime();
    // The same moment as milliseconds since the epoch, without converting it to local time.
    static qint64 currentMSecsSinceEpoch();

    // Test seam: freeze the clock at `when` (local time) until reset; advance() moves a frozen clock.
    static void setTestTime(const QDateTime& when);
    static void advanceTestTime(qint64 msecs);
    static void resetTestTime();
};
