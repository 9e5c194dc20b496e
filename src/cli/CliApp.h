#pragma once
// The command-line front end: parses a command line and runs it against the core, writing to the
// given streams so that tests can read what a user would see.
#include <QStringList>
#include <QTextStream>

class CliApp
{
public:
    // Exit codes shared by every command.
    enum ExitCode { kOk = 0, kFinishedWithWarnings = 1, kFinishedWithErrors = 2, kCancelled = 3, kUsage = 64 };

    CliApp(QTextStream& out, QTextStream& err) : out(out), err(err) {}
    int run(const QStringList& arguments);

private:
    int usageError(const QString& message);
    void printHelp();

    QTextStream& out;
    QTextStream& err;
};
