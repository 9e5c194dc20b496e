#include "base/DateTime.h"

#include "base/Clock.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {
constexpr double kMsecsPerDay = 86400000.0;
const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();
} // namespace

TDateTime DateTimeFromQDateTime(const QDateTime& when)
{
    if (!when.isValid())
        return 0;
    const QDateTime local = when.toLocalTime();
    const double days = double(local.date().toJulianDay() - kEpochJulianDay);
    const double fraction = local.time().msecsSinceStartOfDay() / kMsecsPerDay;
    // Before the epoch the whole part counts backwards while the fraction still counts forwards.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime QDateTimeFromDateTime(TDateTime value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return {};
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    qint64 msecs = qint64(std::llround(fraction * kMsecsPerDay));
    qint64 dayOffset = qint64(whole);
    if (msecs >= qint64(kMsecsPerDay)) {
        msecs -= qint64(kMsecsPerDay);
        dayOffset += 1;
    }
    const QDate date = QDate::fromJulianDay(kEpochJulianDay + dayOffset);
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

TDateTime Now()
{
    return DateTimeFromQDateTime(Clock::currentDateTime());
}

QString LongTimeFormat()
{
    static const QString format = [] {
        QString text = QLocale::system().timeFormat(QLocale::LongFormat);
        text.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        return text.trimmed();
    }();
    return format;
}

QString FormatShortDateLongTime(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
           locale.toString(when.time(), LongTimeFormat());
}
