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

    // The whole command line that StartElevated runs: the elevation command, `env` with the
    // variables the program needs to reach the user's display and data, the program, the arguments.
    QStringList commandLine(const QStringList& arguments) const;

    // How long StartElevated waits for the user to answer the system's prompt.
    int promptTimeoutMsecs = 300000;

private:
    QString program;
};

// The elevation command in force: ZORVAN_ELEVATE_COMMAND split into words, else {"pkexec"}.
QStringList ElevationCommandWords();
// Whether this process runs with root rights.
bool IsProcessElevated();
