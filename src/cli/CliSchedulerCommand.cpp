#include "cli/CliSchedulerCommand.h"

#include "base/AppState.h"
#include "cli/CliApp.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "platform/ElevationCommand.h"
#include "platform/InstanceLock.h"
#include "platform/PowerControlLogind.h"
#include "platform/SleepInhibitorDBus.h"
#include "platform/StopSignals.h"
#include "scheduler/JobRunStarter.h"
#include "scheduler/RunControl.h"
#include "scheduler/Scheduler.h"
#include "scheduler/ShutdownCountdown.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>
#include <memory>

namespace {

// The longest the main thread's events wait while running jobs are awaited.
constexpr int kEventsMsecs = 100;

} // namespace

CliSchedulerCommand::CliSchedulerCommand(CliApp& cli, const TSchedulerCommandServices& services)
    : cli(cli), services(services)
{
}

int CliSchedulerCommand::run(const QStringList& args)
{
    if (!args.isEmpty())
        return cli.usageError(QStringLiteral("scheduler: unexpected argument: %1").arg(args.first()));
    TInstanceLock lock;
    if (!lock.tryLock()) {
        cli.err << "zorvanbackup-cli: Zorvan Backup already schedules the jobs of this user";
        if (const qint64 holder = lock.holderProcessId())
            cli.err << " (process " << holder << ")";
        cli.err << "\n";
        cli.err.flush();
        return kAlreadyScheduling;
    }
    TJobCatalogue& jobs = cli.catalogue();
    if (AppTerminating.load())
        return CliApp::kFinishedWithErrors;

    // Without a desktop there is no one to answer an elevation prompt: drive image jobs run in this
    // process with its own rights (run it as root when they need them).
    ElevatedInstance.store(true);
    // The system's services, for those the caller did not give.
    TSchedulerCommandServices used = services;
    std::unique_ptr<TSleepInhibitorDBus> systemSleep;
    std::unique_ptr<TPowerControlLogind> systemPower;
    std::unique_ptr<TElevationCommand> systemElevation;
    if (!used.Sleep)
        used.Sleep = (systemSleep = std::make_unique<TSleepInhibitorDBus>()).get();
    if (!used.Power)
        used.Power = (systemPower = std::make_unique<TPowerControlLogind>()).get();
    if (!used.Elevation)
        used.Elevation = (systemElevation = std::make_unique<TElevationCommand>()).get();
    TSleepInhibitor& sleep = *used.Sleep;
    TPowerControl& power = *used.Power;
    TElevation& elevation = *used.Elevation;
    TScheduler scheduler(jobs, *used.Runs, sleep, elevation, power);

    QTextStream& out = cli.out;
    auto printEvents = [&out] {
        const QStringList lines = EventsQueue().takeAll();
        for (const QString& line : lines)
            out << line << "\n";
        out.flush();
    };
    scheduler.Callbacks.FlushEvents = printEvents;

    QEventLoop loop;
    TShutdownCountdown& countdown = scheduler.shutdownCountdown();
    auto printCountdown = [&] {
        const int left = countdown.secondsLeft();
        if (left % 10 == 0 || left <= 5) {
            out << countdown.labelText() << "\n";
            out.flush();
        }
    };
    countdown.Callbacks.Opened = printCountdown;
    countdown.Callbacks.Changed = printCountdown;
    countdown.Callbacks.Closed = [&] {
        if (countdown.powerOffAccepted())
            loop.quit();
    };

    TStopSignals stopSignals;
    QObject::connect(&stopSignals, &TStopSignals::stopRequested, &loop, &QEventLoop::quit);
    out << "Scheduling " << jobs.count() << " backup job(s). Press Ctrl-C to stop.\n";
    out.flush();
    scheduler.enableTimer();
    loop.exec();

    // Stop as the program's quit does: no more ticks, running jobs cancelled and waited for.
    scheduler.disableTimer();
    AppTerminating.store(true);
    CancelAllAndWait(scheduler, kStopWaitMsecs, kEventsMsecs);
    printEvents();
    if (jobs.IsSomeJobRunning()) {
        // Detached runs still work on the jobs: end here rather than destroy what they use.
        out << "Stopped; some jobs were still running.\n";
        out.flush();
        cli.err.flush();
        std::_Exit(CliApp::kCancelled);
    }
    out << "Stopped.\n";
    return CliApp::kOk;
}

int RunSchedulerCommand(CliApp& cli, const QStringList& args)
{
    TJobRunStarter runs;
    return CliSchedulerCommand(cli, {&runs}).run(args);
}

QString SchedulerCommandHelp()
{
    return QStringLiteral(
        "  scheduler             starts scheduled jobs as the program does, in the foreground, until\n"
        "                        Ctrl-C or SIGTERM (running jobs are cancelled); exit code 75 when\n"
        "                        the program or another scheduler already schedules the jobs\n");
}
