// The scheduler tick's cost with 1,000 jobs (goal: under 2 ms per tick). Nothing is due in the steady
// state measured here, which is what almost every tick of a running program sees.
#include "base/AppState.h"
#include "base/Clock.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/Elevation.h"
#include "platform/PowerControl.h"
#include "platform/SleepInhibitor.h"
#include "scheduler/RunStarter.h"
#include "scheduler/Schedule.h"
#include "scheduler/Scheduler.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>

namespace {

class TIdleServices : public TRunStarter, public TSleepInhibitor, public TElevation, public TPowerControl
{
public:
    void startBackup(TJob& job) override { job.JobStatus.store(jsNone); }
    void requestBusy() override {}
    void requestIdle() override {}
    bool StartElevated(const QStringList&) override { return false; }
    bool PowerOffComputer() override { return false; }
};

const QDateTime kNow(QDate(2024, 3, 30), QTime(14, 30, 15));

// Job i of a realistic mix: week-day and month-day schedules with one to four start times, some drive
// image jobs, some disabled; each has made its last start, so none is due.
void fillMixed(TJobCatalogue& jobs)
{
    for (int i = 0; i < 1000; ++i) {
        std::unique_ptr<TJob> job;
        if (i % 10 == 9)
            job = std::make_unique<TJob_DriveImage>(QStringLiteral("Image %1").arg(i));
        else
            job = std::make_unique<TJob_FilesAndFolders>(QStringLiteral("Files %1").arg(i));
        TSchedulingSettings& s = job->SchedulingSettings;
        switch (i % 4) {
        case 0:
            s.SchedulingType = stDaysOfWeek;
            s.DaysOfWeek[std::size_t(1 + i % 7)] = true;
            break;
        case 1:
            s.SchedulingType = stDaysOfWeek;
            s.DaysOfWeek.fill(true);
            break;
        case 2:
            s.SchedulingType = stDaysOfMonth;
            s.DaysOfMonth[std::size_t(1 + i % 31)] = true;
            break;
        default:
            s.SchedulingType = i % 8 == 3 ? stDisabled : stDaysOfMonth;
            s.DaysOfMonth[1] = s.DaysOfMonth[15] = true;
            break;
        }
        for (int k = 0; k <= i % 4; ++k)
            s.TimeTable.append(
                QStringLiteral("%1:%2:00").arg(6 + 4 * k, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')));
        job->LastJobResult.StartTime.store(DateTimeFromQDateTime(kNow.addSecs(-60)));
        jobs.append(std::move(job));
    }
}

// The costliest schedules: only the 31st ticked, ten start times, seen on a 30th (59 days back to the
// last 31st), and nothing scheduled within a day.
void fillWorstCase(TJobCatalogue& jobs)
{
    for (int i = 0; i < 1000; ++i) {
        auto job = std::make_unique<TJob_FilesAndFolders>(QStringLiteral("Month end %1").arg(i));
        TSchedulingSettings& s = job->SchedulingSettings;
        s.SchedulingType = stDaysOfMonth;
        s.DaysOfMonth[31] = true;
        for (int k = 0; k < 10; ++k)
            s.TimeTable.append(QStringLiteral("%1:00:00").arg(8 + k, 2, 10, QChar('0')));
        job->LastJobResult.StartTime.store(DateTimeFromQDateTime(kNow.addSecs(-60)));
        jobs.append(std::move(job));
    }
}

void runTicks(benchmark::State& state, void (*fill)(TJobCatalogue&))
{
    ElevatedInstance.store(true);
    Clock::setTestTime(kNow);
    TJobCatalogue jobs;
    fill(jobs);
    TIdleServices services;
    TScheduler scheduler(jobs, services, services, services, services);
    scheduler.Callbacks.FlushEvents = [] {};
    for (auto _ : state) {
        scheduler.TimerSchedulerTimer();
        benchmark::DoNotOptimize(scheduler.lastCounts());
    }
    if (scheduler.lastCounts().Running != 0 || scheduler.SleepPrevented)
        state.SkipWithError("a job became due: the measurement is not of the steady state");
    Clock::resetTestTime();
}

void BM_TickThousandJobsMixed(benchmark::State& state)
{
    runTicks(state, fillMixed);
}
BENCHMARK(BM_TickThousandJobsMixed)->Unit(benchmark::kMicrosecond);

void BM_TickThousandJobsWorstCase(benchmark::State& state)
{
    runTicks(state, fillWorstCase);
}
BENCHMARK(BM_TickThousandJobsWorstCase)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
