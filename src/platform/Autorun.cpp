#include "platform/Autorun.h"

#include "platform/AskingUser.h"
#include "platform/StandardFolders.h"

#include <QFile>
#include <QSaveFile>

namespace {

QString autostartFolder()
{
    return StandardFolders::configFolder() + QStringLiteral("/autostart");
}

// One argument of an Exec key in double quotes: a backslash before '"', '`', '$' and '\', and '%'
// doubled, since a single one starts a field code.
QString quotedExecArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + '"';
}

// A value as desktop entries store strings: backslashes and control characters escaped. Applied after
// the Exec quoting, so a quoted backslash is written as four.
QString escapedStringValue(const QString& value)
{
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QStringLiteral("\\\\");
            break;
        case '\n':
            escaped += QStringLiteral("\\n");
            break;
        case '\t':
            escaped += QStringLiteral("\\t");
            break;
        case '\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

QString AutorunEntryPath()
{
    return autostartFolder() + QStringLiteral("/zorvan-backup.desktop");
}

QString AutorunExecLine(const QString& program)
{
    return escapedStringValue(quotedExecArgument(program) + QStringLiteral(" /hide"));
}

QString AutorunFolder()
{
    return autostartFolder();
}

TAutorunResult WriteAutorunEntry(bool on, const QString& program)
{
    const QString folder = autostartFolder();
    if (!MakePathForAskingUser(folder))
        return TAutorunResult::NoFolder;
    const QString path = AutorunEntryPath();
    bool ok = true;
    if (on) {
        QSaveFile file(path);
        const QByteArray entry =
            QStringLiteral("[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=" ZORVAN_APP_TITLE "\n"
                           "Exec=%1\n"
                           "Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n")
                .arg(AutorunExecLine(program.isEmpty() ? StandardFolders::programPath() : program))
                .toUtf8();
        ok = file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size() && file.commit();
        if (ok)
            GiveToAskingUser(path);
    } else if (QFile::exists(path)) {
        ok = QFile::remove(path);
    }
    return ok ? TAutorunResult::Done : TAutorunResult::WriteFailed;
}
