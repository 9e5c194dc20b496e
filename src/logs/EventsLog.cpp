#include "logs/EventsLog.h"

#include "options/uOptions.h"
#include "platform/Clock.h"

#include <QLocale>
#include <QMutexLocker>
#include <QRegularExpression>

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
    static const QString timeFormat = [] {
        // The long time format without its time-zone part, like the desktop's clock shows it.
        QString format = QLocale::system().timeFormat(QLocale::LongFormat);
        format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        return format.trimmed();
    }();
    const QDateTime now = Clock::currentDateTime();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + ' ' + locale.toString(now.time(), timeFormat) +
           QStringLiteral(": ") + text;
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

void FlushEventsToLog(TEventsPanel& panel)
{
    panel.Lines.append(EventsQueue().takeAll());
    const qsizetype limit = qMax(0, GlobalOptions.Logging.MaxNumberOfLinesInEventsLog);
    if (panel.Lines.size() > limit)
        panel.Lines.remove(0, panel.Lines.size() - limit);
    panel.ScrolledToEnd = !panel.HasFocus;
}
