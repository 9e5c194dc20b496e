#include "storage/RunLog.h"

#include "jobs/uJob.h"
#include "platform/Clock.h"

#include <QLocale>
#include <QRegularExpression>

QString FormatRunLogLine(const QString& text)
{
    static const QString timeFormat = [] {
        // The long time format without its time-zone part.
        QString format = QLocale::system().timeFormat(QLocale::LongFormat);
        format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        return format.trimmed();
    }();
    return QLocale::system().toString(Clock::currentDateTime().time(), timeFormat) + QStringLiteral(": ") +
           text;
}

void AddRunLogLine(TJob& job, const QString& text)
{
    job.LastJobResult.Log.append(FormatRunLogLine(text));
}

void AddRunLogError(TJob& job, const QString& text)
{
    AddRunLogLine(job, job.Translate(QStringLiteral("ERROR:")) + ' ' + text);
    ++job.LastJobResult.ErrorsCount;
}
