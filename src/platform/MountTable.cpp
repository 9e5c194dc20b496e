#include "platform/MountTable.h"

#include <QFile>

#include <sys/sysmacros.h>

namespace {
// mountinfo escapes blanks, tabs, newlines and backslashes in paths as \ooo octal sequences.
QString unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray octal = field.mid(i + 1, 3);
            bool ok = false;
            const int value = octal.toInt(&ok, 8);
            if (ok && value < 256) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromUtf8(out);
}
} // namespace

TMountTable TMountTable::Parse(const QByteArray& mountinfo)
{
    TMountTable table;
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const qsizetype separator = fields.indexOf("-", 6);
        if (fields.size() < 7 || separator < 0 || separator + 2 >= fields.size())
            continue;
        const QList<QByteArray> numbers = fields[2].split(':');
        bool majorOk = false;
        bool minorOk = false;
        const unsigned major = numbers.value(0).toUInt(&majorOk);
        const unsigned minor = numbers.value(1).toUInt(&minorOk);
        if (numbers.size() != 2 || !majorOk || !minorOk)
            continue;
        TMountEntry entry;
        entry.Device = makedev(major, minor);
        entry.MountPoint = unescape(fields[4]);
        entry.ReadWrite = fields[5].split(',').contains("rw");
        entry.FileSystemType = unescape(fields[separator + 1]);
        entry.Source = unescape(fields[separator + 2]);
        table.entries.append(entry);
    }
    return table;
}

TMountTable TMountTable::FromSystem()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Parse(file.readAll());
}

const TMountEntry* TMountTable::FindMountPoint(const QString& mountPoint) const
{
    for (qsizetype i = entries.size() - 1; i >= 0; --i)
        if (entries[i].MountPoint == mountPoint)
            return &entries[i];
    return nullptr;
}

QList<TMountEntry> TMountTable::MountsOfDevice(dev_t device) const
{
    QList<TMountEntry> result;
    for (const TMountEntry& entry : entries)
        if (entry.Device == device)
            result.append(entry);
    return result;
}
