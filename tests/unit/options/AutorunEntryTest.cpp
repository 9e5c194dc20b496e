// The autostart entry read back as a desktop entry reader does: whatever the program's path holds, its
// Exec line gives back exactly that path and "/hide".
#include "events/EventsLog.h"
#include "options/RunAtLogon.h"
#include "platform/Autorun.h"
#include "platform/StandardFolders.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <optional>

namespace {

// The string escapes of a desktop entry value; nothing for an escape readers refuse.
std::optional<QString> unescapeString(const QString& value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            text += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i].unicode()) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        case '\\':
            text += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

// The arguments of an Exec value: blanks separate them, double quotes group them with '"', '`', '$' and
// '\' escaped by a backslash, and "%%" stands for "%" (no other field code is expected here).
std::optional<QStringList> execArguments(const QString& exec)
{
    const std::optional<QString> text = unescapeString(exec);
    if (!text)
        return std::nullopt;
    QStringList arguments;
    QString current;
    bool started = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text->size(); ++i) {
        const QChar c = text->at(i);
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\') {
                if (++i == text->size() || !QStringLiteral("\"`$\\").contains(text->at(i)))
                    return std::nullopt;
                current += text->at(i);
            } else {
                current += c;
            }
        } else if (c == ' ') {
            if (started)
                arguments << current;
            current.clear();
            started = false;
        } else {
            started = true;
            if (c == '"')
                quoted = true;
            else
                current += c;
        }
    }
    if (quoted)
        return std::nullopt;
    if (started)
        arguments << current;
    for (QString& argument : arguments) {
        QString plain;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] == '%' && (++i == argument.size() || argument[i] != '%'))
                return std::nullopt;
            plain += argument[i];
        }
        argument = plain;
    }
    return arguments;
}

TEST(AutorunEntry, EveryProgramPathReadsBackExactly)
{
    const QString paths[] = {
        "/opt/Zorvan Backup/zorvanbackup",
        "/opt/say \"hi\"/zorvanbackup",
        "/opt/`id`/zorvanbackup",
        "/opt/$HOME/zorvanbackup",
        "/opt/back\\slash/zorvanbackup",
        "/opt/100%/zorvanbackup",
        "/opt/%U %f %%/zorvanbackup",
        "/opt/it's; a & b | c > d/zorvanbackup",
        QString::fromUtf8("/opt/Sauvegarde é ü 備份/zorvanbackup"),
        "/opt/line\nbreak\tand\rreturn/zorvanbackup",
        "/opt/\\$`\"%\\\\/zorvanbackup",
    };
    for (const QString& path : paths) {
        ASSERT_TRUE(SetAutorun(true, path)) << path.toStdString();
        const QStringList lines =
            QString::fromUtf8(TestEnvironment::readFile(AutorunEntryPath())).split('\n');
        const QStringList exec = lines.filter(QRegularExpression("^Exec="));
        ASSERT_EQ(exec.size(), 1) << path.toStdString();
        EXPECT_EQ(lines.first(), "[Desktop Entry]");
        EXPECT_EQ(lines.size(), 7) << path.toStdString(); // six lines and the final line break
        EXPECT_EQ(execArguments(exec.first().mid(5)), (QStringList{path, "/hide"}))
            << path.toStdString() << " gave " << exec.first().toStdString();
    }
    EXPECT_TRUE(SetAutorun(false));
}

TEST(AutorunEntry, WriteAndDeleteFailuresNameTheAutostartFolder)
{
    const QString folder = StandardFolders::configFolder() + "/autostart";
    // A folder where the entry should be: it can be neither replaced nor deleted.
    TestEnvironment::writeFile(AutorunEntryPath() + "/keep", "x");
    EventsQueue().takeAll();
    const QString expected =
        "Error writing to the autostart folder " + folder + ". Make sure you have the rights.";
    EXPECT_FALSE(SetAutorun(true));
    EXPECT_FALSE(SetAutorun(false));
    const QStringList events = EventsQueue().takeAll();
    ASSERT_EQ(events.size(), 2);
    for (const QString& event : events)
        EXPECT_TRUE(event.endsWith(expected)) << event.toStdString();
    QDir(AutorunEntryPath()).removeRecursively();
}

} // namespace
