#include "events/EventsLog.h"

#include "base/Clock.h"
#include "base/DateTime.h"

#include <QMutexLocker>

void TEventsQueue::add(const QString& line)
{
    QMutexLocker lock(&mutex);
    lines.append(line);
}

QStringList TEventsQueue::takeAll()
{
    QMutexLocker lock(&mutex);
    QStringList taken;
    taken.swap(lines);
    return taken;
}

QString FormatEventLine(const QString& text)
{
    return FormatShortDateLongTime(Clock::currentDateTime()) + QStringLiteral(": ") + text;
}

TEventsQueue& EventsQueue()
{
    static TEventsQueue queue;
    return queue;
}

void AddEvent(const QString& text)
{
    EventsQueue().add(FormatEventLine(text));
}

void FlushEventsToLog(TEventsPanel& panel, qint32 maxLines)
{
    panel.Lines.append(EventsQueue().takeAll());
    const qsizetype limit = qMax(0, maxLines);
    if (panel.Lines.size() > limit)
        panel.Lines.remove(0, panel.Lines.size() - limit);
    panel.ScrolledToEnd = !panel.HasFocus;
}
