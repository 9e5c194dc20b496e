#include "logs/RunLog.h"

#include "base/Clock.h"
#include "base/DateTime.h"
#include "events/EventsLog.h"
#include "jobs/JobNames.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob.h"
#include "platform/AskingUser.h"

#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <limits>

QString RunLogLine(const QString& text)
{
    // The time of day shown changes only with the second: it is converted to local time (for which the
    // C library looks at the time zone file again) once per second rather than for every line.
    thread_local qint64 shownSecond = std::numeric_limits<qint64>::min();
    thread_local QString prefix;
    const qint64 now = Clock::currentMSecsSinceEpoch();
    const qint64 second = now / 1000 - (now % 1000 < 0 ? 1 : 0);
    if (second != shownSecond) {
        prefix = QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(now).time(), LongTimeFormat()) +
                 QStringLiteral(": ");
        shownSecond = second;
    }
    return prefix + text;
}

QString HistoryLine(const QString& text)
{
    return FormatShortDateLongTime(Clock::currentDateTime()) + QStringLiteral(": ") + text;
}

void LogLine(TJob& job, const QString& text)
{
    job.LastJobResult.Log.append(RunLogLine(text));
}

void LogPlain(TJob& job, const QString& text)
{
    job.LastJobResult.Log.append(text);
}

void LogError(TJob& job, const QString& text)
{
    LogLine(job, job.Translate(QStringLiteral("ERROR:")) + ' ' + text);
    ++job.LastJobResult.ErrorsCount;
}

void LogWarning(TJob& job, const QString& text)
{
    LogLine(job, job.Translate(QStringLiteral("WARNING:")) + ' ' + text);
    ++job.LastJobResult.WarningsCount;
}

bool SaveRunLogFile(const QString& path, const TSharedStringList& lines)
{
    // Straight from the log's own UTF-8: a long run's log is never held twice.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("\xEF\xBB\xBF", 3) != 3 ||
        !lines.writeUtf8(file, "\r\n")) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    GiveToAskingUser(path);
    return true;
}

QString JobNameUnusableText(const TJob& job, const QString& name)
{
    return job.Translate(QStringLiteral("The job name cannot be used in a path:")) + QStringLiteral(" \"") +
           PrintableJobName(name.isNull() ? job.stJobName : name) + '"';
}

bool EnsureJobLogFolder(TJob& job, const QString& eventText)
{
    const QString folder = JobLogFolder(job);
    if (folder.isEmpty()) {
        AddEvent(IsValidJobName(job.stJobName) ? eventText : eventText + ' ' + JobNameUnusableText(job));
        return false;
    }
    if (QFileInfo(folder).isDir() || MakePathForAskingUser(folder))
        return true;
    AddEvent(eventText + ' ' + folder);
    return false;
}

void SaveRunLogAndPrune(TJob& job, const QDateTime& start)
{
    const QString folder = JobLogFolder(job);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    const QString name = FormatRunStamp(start);
    SaveRunLogFile(JoinPath(folder, name + QStringLiteral(".txt")), job.LastJobResult.Log);
    job.LogList.append(name);
    job.RemoveOldLogs();
}
