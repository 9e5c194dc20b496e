#include "platform/ElevationCommand.h"

#include "platform/AskingUser.h"
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
// The window program's file name: pkexec runs it directly under its own policy.
const QLatin1String kWindowProgramName("zorvanbackup");
const QLatin1String kPassedVariablePrefix("--zorvan-variable=");

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

// The user's data, settings and cache folders as this process sees them (defaults filled in), and the
// session's variables that are set.
QList<QPair<QString, QString>> variablesToPass(std::initializer_list<const char*> sessionNames)
{
    QList<QPair<QString, QString>> variables;
    for (const char* name : sessionNames) {
        const QString value = environmentValue(name);
        if (!value.isEmpty())
            variables.append({QString::fromLatin1(name), value});
    }
    variables.append({QStringLiteral("XDG_DATA_HOME"), StandardFolders::dataHomeFolder()});
    variables.append({QStringLiteral("XDG_CONFIG_HOME"), StandardFolders::configFolder()});
    variables.append({QStringLiteral("XDG_CACHE_HOME"), StandardFolders::cacheFolder()});
    return variables;
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

const QStringList& PassedVariableNames()
{
    static const QStringList names{QStringLiteral("XDG_DATA_HOME"),   QStringLiteral("XDG_CONFIG_HOME"),
                                   QStringLiteral("XDG_CACHE_HOME"),  QStringLiteral("XDG_RUNTIME_DIR"),
                                   QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("LANG")};
    return names;
}

QString PassedVariableArgument(const QString& name, const QString& value)
{
    return kPassedVariablePrefix + name + '=' + value;
}

int ApplyPassedVariables(int& argc, char** argv)
{
    int first = argc;
    while (first > 1 && QByteArray(argv[first - 1]).startsWith(QByteArray(kPassedVariablePrefix.data())))
        --first;
    // Only an instance that pkexec or sudo started for a user takes them: an ordinary start's
    // arguments never change its environment.
    const bool accepted = IsProcessElevated() && AskingUser().has_value();
    int applied = 0;
    for (int i = first; accepted && i < argc; ++i) {
        const QByteArray assignment = QByteArray(argv[i]).mid(kPassedVariablePrefix.size());
        const qsizetype equals = assignment.indexOf('=');
        if (equals <= 0 || !PassedVariableNames().contains(QString::fromLatin1(assignment.left(equals))))
            continue;
        if (qputenv(assignment.left(equals).constData(), assignment.mid(equals + 1)))
            ++applied;
    }
    argc = first;
    argv[argc] = nullptr;
    return applied;
}

bool TElevationCommand::runsWindowProgram() const
{
    return QFileInfo(program).fileName() == kWindowProgramName;
}

QString TElevationCommand::executedProgram() const
{
    if (!runsWindowProgram())
        return program;
    const QString resolved = QFileInfo(program).canonicalFilePath();
    return resolved.isEmpty() ? program : resolved;
}

QStringList TElevationCommand::commandLine(const QStringList& arguments) const
{
    QStringList line = ElevationCommandWords();
    if (runsWindowProgram()) {
        line << executedProgram() << arguments;
        for (const auto& [name, value] : variablesToPass({"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "LANG"}))
            line << PassedVariableArgument(name, value);
        return line;
    }
    // pkexec clears the environment: the program is told where the user's display, data, settings and
    // cache are, so that the elevated instance shows its window, finds the same jobs and uses the same
    // temporary folder. The user it works for comes from PKEXEC_UID (AskingUser.h).
    line << QStringLiteral("env");
    for (const auto& [name, value] :
         variablesToPass({"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "LANG"}))
        line << name + '=' + value;
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
    const QByteArray started = processNameFor(executedProgram());
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
