#pragma once
// The command-line front end: parses a command line and runs it against the core, writing to the
// given streams so that tests can read what a user would see.
#include <QStringList>
#include <QTextStream>

#include <memory>

class TJob;
class TJobCatalogue;

class CliApp
{
public:
    // Exit codes shared by every command.
    enum ExitCode
    {
        kOk = 0,
        kFinishedWithWarnings = 1,
        kFinishedWithErrors = 2,
        kCancelled = 3,
        kUsage = 64
    };

    CliApp(QTextStream& out, QTextStream& err);
    ~CliApp();
    int run(const QStringList& arguments);

    // Shared by the commands: loads the options and the job catalogue from the application data
    // folder, as the program does at start; events of the load go to the error stream.
    TJobCatalogue& catalogue();
    // Writes the queued events (one per line) to the error stream.
    void printEvents();
    int usageError(const QString& message);
    // "no job named ..." on the error stream; exit code 64.
    int jobNotFound(const QString& name);
    // "NAME: Job is currently running." on the error stream; exit code 3.
    int jobIsRunning(const TJob& job);
    // The exit code of a run that has ended: cancelled, finished with errors, with warnings, or done.
    static int runResultCode(const TJob& job);
    QTextStream& out;
    QTextStream& err;

private:
    int runList(const QStringList& args);
    int runShow(const QStringList& args);
    void printHelp();

    std::unique_ptr<TJobCatalogue> jobs;
};
