#pragma once
// Elevation through a command that runs a program as root after asking the user: `pkexec`, or the
// command named by the environment variable ZORVAN_ELEVATE_COMMAND (split like a shell line), so that
// tests and other desktops can replace it.
#include "platform/Elevation.h"

#include <QString>

class TElevationCommand : public TElevation
{
public:
    // `program` empty: this program's own executable.
    explicit TElevationCommand(const QString& program = QString());
    bool StartElevated(const QStringList& arguments) override;

    // The whole command line that StartElevated runs. For the window program `zorvanbackup`: the
    // elevation command, the program itself (its links resolved: pkexec matches that path with the
    // installed policy, whose message it then shows), the arguments, and the variables it needs to
    // reach the user's data and session as trailing PassedVariableArgument()s. For any other program:
    // the elevation command, `env` with those variables and the display's, the program, the arguments.
    QStringList commandLine(const QStringList& arguments) const;

    // How long StartElevated waits for the user to answer the system's prompt.
    int promptTimeoutMsecs = 300000;

private:
    bool runsWindowProgram() const;
    // The path the elevation command runs: the window program's with its links resolved.
    QString executedProgram() const;

    QString program;
};

// The variables that an elevated window program takes from its trailing arguments: the user's data,
// settings, cache and runtime folders, Wayland display and language, which pkexec clears (it keeps
// DISPLAY and XAUTHORITY itself).
const QStringList& PassedVariableNames();
// The argument that passes one variable: "--zorvan-variable=NAME=VALUE".
QString PassedVariableArgument(const QString& name, const QString& value);
// Removes the trailing run of passed-variable arguments from argv (argc shrinks; argv[argc] stays
// null) and, only when this process is elevated on behalf of an asking user, sets those of the names
// in PassedVariableNames(); others are ignored. Call it first thing, before anything reads the
// environment. Returns the number of variables set.
int ApplyPassedVariables(int& argc, char** argv);

// The elevation command in force: ZORVAN_ELEVATE_COMMAND split into words, else {"pkexec"}.
QStringList ElevationCommandWords();
// Whether this process runs with root rights.
bool IsProcessElevated();
