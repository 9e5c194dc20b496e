#include "jobs/JobStatusText.h"

#include "i18n/Translate.h"

#include <QLocale>

QString JobStatusText(TJobStatus status)
{
    switch (status) {
    case jsNone:
        return Translate(QStringLiteral("Ready"));
    case jsWaiting:
        return Translate(QStringLiteral("Waiting"));
    case jsRunning:
        return Translate(QStringLiteral("Running"));
    case jsCancelling:
        return Translate(QStringLiteral("Cancelling"));
    case jsPaused:
        return Translate(QStringLiteral("Paused"));
    }
    return {};
}

QString FormatShortDateLongTime(TDateTime value)
{
    return FormatShortDateLongTime(QDateTimeFromDateTime(value));
}

QString LastResultText(const TJob& job)
{
    const TJobStatus status = job.JobStatus.load();
    if (status == jsRunning || status == jsPaused) {
        const int progress = job.CurrentFileOperationProgress.load();
        return progress != 0 && progress != 100 ? QString::number(progress) + '%'
                                                : Translate(QStringLiteral("In progress..."));
    }
    if (status != jsNone)
        return {};
    const TJobResult& result = job.LastJobResult;
    const TDateTime end = result.EndTime.load();
    if (result.StartTime.load() == 0 && end == 0)
        return Translate(QStringLiteral("Never started"));
    QString text;
    if (result.Cancelled.load())
        text = QStringLiteral("Cancelled on %s");
    else if (result.ErrorsCount.load() > 0)
        text = QStringLiteral("Finished with errors on %s");
    else if (result.WarningsCount.load() > 0)
        text = QStringLiteral("Finished with warnings on %s");
    else
        text = QStringLiteral("Finished on %s");
    return Translate(text).replace(QStringLiteral("%s"), FormatShortDateLongTime(end));
}

QString ScheduleSummary(const TSchedulingSettings& schedule)
{
    QStringList days;
    QString kind;
    switch (schedule.SchedulingType) {
    case stDisabled:
        return Translate(QStringLiteral("Disabled"));
    case stDaysOfWeek: {
        kind = Translate(QStringLiteral("Days of week"));
        const QLocale locale = QLocale::system();
        for (int day = 1; day <= 7; ++day) {
            if (schedule.DaysOfWeek[std::size_t(day)])
                days.append(locale.dayName(day, QLocale::ShortFormat));
        }
        break;
    }
    case stDaysOfMonth:
        kind = Translate(QStringLiteral("Days of month"));
        for (int day = 1; day <= 31; ++day) {
            if (schedule.DaysOfMonth[std::size_t(day)])
                days.append(QString::number(day));
        }
        break;
    }
    QString text = kind + QStringLiteral(": ") +
                   (days.isEmpty() ? QStringLiteral("-") : days.join(QStringLiteral(", ")));
    if (!schedule.TimeTable.isEmpty())
        text += ' ' + Translate(QStringLiteral("at")) + ' ' + schedule.TimeTable.join(QStringLiteral(", "));
    return text;
}
