#pragma once
// `zorvanbackup-cli scheduler`: the program's scheduler without a window. It ticks once a second in the
// foreground, starts due jobs as the program would, prints the events lines, and stops cleanly on
// SIGINT or SIGTERM (running jobs are cancelled and waited for at most 5 seconds). It holds the same
// per-user instance lock as the program, so only one of them schedules at a time.
#include <QString>
#include <QStringList>

class CliApp;
class TElevation;
class TPowerControl;
class TRunStarter;
class TSleepInhibitor;

// The services the command drives; the production ones by default.
struct TSchedulerCommandServices
{
    TRunStarter* Runs = nullptr;
    TSleepInhibitor* Sleep = nullptr;
    TElevation* Elevation = nullptr;
    TPowerControl* Power = nullptr;
};

class CliSchedulerCommand
{
public:
    // Exit code when another process already schedules jobs for this user.
    static constexpr int kAlreadyScheduling = 75;
    // How long running jobs are waited for after a stop request.
    static constexpr int kStopWaitMsecs = 5000;

    CliSchedulerCommand(CliApp& cli, const TSchedulerCommandServices& services);
    int run(const QStringList& args);

private:
    CliApp& cli;
    TSchedulerCommandServices services;
};

// The dispatch of `zorvanbackup-cli scheduler`, with the production services.
int RunSchedulerCommand(CliApp& cli, const QStringList& args);
// The command's lines of the help text.
QString SchedulerCommandHelp();
