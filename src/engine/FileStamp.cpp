#include "engine/FileStamp.h"

#include <QDateTime>

#include <ctime>

namespace {
// Positions of the digits in "yyyy-mm-dd hh:nn:ss:zzz" and the separators between them.
constexpr int kTextLength = 23;
constexpr char kPattern[] = "dddd-dd-dd dd:dd:dd:ddd";
} // namespace

TFileStamp StampFromMsecsSinceEpoch(qint64 msecs)
{
    qint64 seconds = msecs / 1000;
    qint64 millis = msecs % 1000;
    if (millis < 0) {
        millis += 1000;
        seconds -= 1;
    }
    const time_t t = time_t(seconds);
    struct tm local
    {
    };
    if (!localtime_r(&t, &local))
        return kNoStamp;
    const qint64 year = local.tm_year + 1900;
    if (year < 0 || year > 9999)
        return kNoStamp;
    qint64 packed = year;
    packed = packed * 100 + (local.tm_mon + 1);
    packed = packed * 100 + local.tm_mday;
    packed = packed * 100 + local.tm_hour;
    packed = packed * 100 + local.tm_min;
    packed = packed * 100 + qMin(local.tm_sec, 59);
    return packed * 1000 + millis;
}

QString FormatStamp(TFileStamp stamp)
{
    if (stamp < 0)
        return QString();
    QString text(kTextLength, Qt::Uninitialized);
    QChar* out = text.data();
    for (int i = kTextLength - 1; i >= 0; --i) {
        if (kPattern[i] == 'd') {
            out[i] = QChar(u'0' + char16_t(stamp % 10));
            stamp /= 10;
        } else {
            out[i] = QChar(kPattern[i]);
        }
    }
    return text;
}

TFileStamp ParseStamp(QStringView text)
{
    if (text.size() != kTextLength)
        return kNoStamp;
    TFileStamp packed = 0;
    for (int i = 0; i < kTextLength; ++i) {
        const char16_t c = text[i].unicode();
        if (kPattern[i] == 'd') {
            if (c < u'0' || c > u'9')
                return kNoStamp;
            packed = packed * 10 + (c - u'0');
        } else if (c != char16_t(kPattern[i])) {
            return kNoStamp;
        }
    }
    return packed;
}

TStampList ParseStamps(const QStringList& texts)
{
    TStampList stamps;
    stamps.reserve(size_t(texts.size()));
    for (const QString& text : texts)
        stamps.push_back(ParseStamp(text));
    return stamps;
}

QStringList FormatStamps(const TStampList& stamps)
{
    QStringList texts;
    texts.reserve(qsizetype(stamps.size()));
    for (TFileStamp stamp : stamps)
        texts.append(FormatStamp(stamp));
    return texts;
}
