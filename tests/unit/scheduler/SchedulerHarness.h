#pragma once
// A catalogue, a scheduler and its doubles, with helpers that build scheduled jobs and tick at a
// given moment of the test clock.
#include "base/AppState.h"
#include "base/Clock.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "options/uOptions.h"
#include "scheduler/Scheduler.h"
#include "scheduler/ShutdownCountdown.h"
#include "unit/scheduler/SchedulerDoubles.h"

#include <QDateTime>

inline QDateTime At(int year, int month, int day, int hour, int minute, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec));
}

// Monday 2024-03-04 at the given time.
inline QDateTime Monday(int hour, int minute, int second = 0, int msec = 0)
{
    return At(2024, 3, 4, hour, minute, second, msec);
}

// Resets the process-wide state the tick reads.
inline void ResetSchedulerGlobals()
{
    GlobalOptions = TOptions();
    GlobalOptions.Logging.MaxNumberOfLinesInEventsLog = 50;
    AppTerminating.store(false);
    ElevatedInstance.store(true);
    EventsQueue().takeAll();
}

struct TSchedulerHarness
{
    TJobCatalogue Jobs;
    TTestRunStarter Runs;
    TRecordingSleepInhibitor Sleep;
    TRecordingElevation Elevation;
    TRecordingPowerControl Power;
    TScheduler Scheduler{Jobs, Runs, Sleep, Elevation, Power};

    // A job scheduled every day at the given times, its schedule saved on 2024-01-01.
    template <class Kind> Kind& add(const QString& name, const QStringList& timetable)
    {
        auto job = std::make_unique<Kind>(name);
        job->SchedulingSettings.SchedulingType = stDaysOfWeek;
        job->SchedulingSettings.DaysOfWeek.fill(true);
        job->SchedulingSettings.TimeTable = timetable;
        job->SchedulingSettings.LastModificationDateTime = DateTimeFromQDateTime(At(2024, 1, 1, 0, 0));
        Kind& added = *job;
        Jobs.append(std::move(job));
        return added;
    }
    TJob_FilesAndFolders& addFiles(const QString& name, const QStringList& timetable = {"10:00:00"})
    {
        return add<TJob_FilesAndFolders>(name, timetable);
    }
    TJob_DriveImage& addImage(const QString& name, const QStringList& timetable = {"10:00:00"})
    {
        return add<TJob_DriveImage>(name, timetable);
    }

    void tickAt(const QDateTime& when)
    {
        Clock::setTestTime(when);
        Scheduler.TimerSchedulerTimer();
    }
};
