#include "base/ByteSize.h"

#include <QLocale>

#include <cmath>

QString FormatByteSize(qint64 bytes)
{
    static const char* const units[] = {"", "KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
    int e = 1;
    while (e < 8 && double(bytes) > std::pow(1024.0, e + 1))
        ++e;
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(double(bytes) / std::pow(1024.0, e), 'f', 2);
    const QString point = locale.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text + ' ' + QLatin1String(units[e]);
}
