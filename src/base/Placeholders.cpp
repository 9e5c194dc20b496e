#include "base/Placeholders.h"

QString FillPlaceholders(const QString& text, const QStringList& values)
{
    QString result;
    result.reserve(text.size());
    qsizetype next = 0;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(QLatin1String("%s")); at >= 0 && next < values.size();
         at = text.indexOf(QLatin1String("%s"), from)) {
        result += QStringView(text).sliced(from, at - from);
        result += values.at(next++);
        from = at + 2;
    }
    result += QStringView(text).sliced(from);
    return result;
}
