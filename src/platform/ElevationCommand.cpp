#include "platform/ElevationCommand.h"

#include "platform/StandardFolders.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <signal.h>
#include <unistd.h>

namespace {

constexpr int kPollMsecs = 50;

QString environmentValue(const char* name)
{
    return qEnvironmentVariable(name);
}

// What the kernel names a process after exec: the file's base name, cut to 15 bytes.
QByteArray processNameFor(const QString& program)
{
    return QFileInfo(program).fileName().toLocal8Bit().left(15);
}

// The name of a live process, or an empty text when it has ended (a zombie counts as ended).
QByteArray runningProcessName(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    // "pid (name) state ...": the name may itself hold blanks and parentheses.
    const QByteArray line = stat.readAll();
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 0 || close < open || close + 2 >= line.size())
        return {};
    const char state = line.at(close + 2);
    if (state == 'Z' || state == 'X')
        return {};
    return line.mid(open + 1, close - open - 1);
}

} // namespace

QStringList ElevationCommandWords()
{
    const QString configured = environmentValue("ZORVAN_ELEVATE_COMMAND").trimmed();
    if (configured.isEmpty())
        return {QStringLiteral("pkexec")};
    return QProcess::splitCommand(configured);
}

bool IsProcessElevated()
{
    return geteuid() == 0;
}

TElevationCommand::TElevationCommand(const QString& program)
    : program(program.isEmpty() ? StandardFolders::programPath() : program)
{
}

QStringList TElevationCommand::commandLine(const QStringList& arguments) const
{
    QStringList line = ElevationCommandWords();
    // pkexec clears the environment: the program is told where the user's display, data, settings and
    // cache are, so that the elevated instance shows its window, finds the same jobs and uses the same
    // temporary folder. The user it works for comes from PKEXEC_UID (AskingUser.h).
    line << QStringLiteral("env");
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "LANG"}) {
        const QString value = environmentValue(name);
        if (!value.isEmpty())
            line << QString::fromLatin1(name) + '=' + value;
    }
    line << QStringLiteral("XDG_DATA_HOME=") + StandardFolders::dataHomeFolder()
         << QStringLiteral("XDG_CONFIG_HOME=") + StandardFolders::configFolder()
         << QStringLiteral("XDG_CACHE_HOME=") + StandardFolders::cacheFolder();
    line << program << arguments;
    return line;
}

bool TElevationCommand::StartElevated(const QStringList& arguments)
{
    const QStringList line = commandLine(arguments);
    qint64 pid = 0;
    QProcess starter;
    starter.setProgram(line.first());
    starter.setArguments(line.mid(1));
    starter.setStandardInputFile(QProcess::nullDevice());
    if (!starter.startDetached(&pid) || pid <= 0)
        return false;
    // The elevation command asks the user, then replaces itself with the program (exec). The program
    // counts as started once the process carries its name; a process that ends before that was
    // refused or failed. Window messages are processed meanwhile, as while a system prompt is shown.
    // A poll: the process is detached, not our child, and nothing announces its exec; only its entry
    // in the process table tells.
    const QByteArray started = processNameFor(program);
    QDeadlineTimer deadline(promptTimeoutMsecs);
    for (;;) {
        const QByteArray name = runningProcessName(pid);
        if (name.isEmpty())
            return false;
        if (name == started)
            return true;
        if (deadline.hasExpired()) {
            ::kill(pid_t(pid), SIGTERM);
            return false;
        }
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMsecs);
        QThread::msleep(kPollMsecs);
    }
}
