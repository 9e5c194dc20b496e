#pragma once
// The application-wide events log feed. AddEvent queues a line from any thread; FlushEventsToLog,
// on the main thread, moves the queued lines into the events panel's line buffer.
#include <QMutex>
#include <QString>
#include <QStringList>

class TEventsQueue
{
public:
    void add(const QString& line);
    QStringList takeAll();

private:
    QMutex mutex;
    QStringList lines;
};

// The lines the events panel shows, oldest first.
struct TEventsPanel
{
    QStringList Lines;
    bool HasFocus = false;      // while the user works in the panel a flush does not scroll it
    bool ScrolledToEnd = false; // set by a flush that scrolled to the last line
};

// "<short date> <long time>: <text>" with the user's formats.
QString FormatEventLine(const QString& text);

// The process-wide queue and the two operations on it.
TEventsQueue& EventsQueue();
void AddEvent(const QString& text);
// Moves queued lines into `panel`, keeping at most `maxLines` lines (the MaxNumberOfLinesInEventsLog
// option).
void FlushEventsToLog(TEventsPanel& panel, qint32 maxLines);
