#pragma once
// The schedule options that `create` and `edit` share, for both kinds of job: the days of the week or
// of the month, the start times, no schedule, and the two flags of the schedule page.
#include "jobs/JobSettingsChecks.h"

#include <QString>
#include <QStringList>

#include <optional>

class TCliScheduleOptions
{
public:
    // Reads the option at args[i], moving i past its value. False when args[i] is not a schedule
    // option; a usage error is reported by setting `problem`.
    bool take(const QStringList& args, qsizetype& i, QString& problem);
    // Whether any schedule option was given.
    bool given() const { return anyGiven; }
    // Writes what was given into `schedule`, changing nothing else, and checks the result as the
    // schedule page does: no start time twice ("Record already exists"), at least one day and one
    // start time when days are chosen.
    TSettingsCheck apply(TSchedulingSettings& schedule) const;

    static QString help();

private:
    bool anyGiven = false;
    std::optional<TSchedulingType> type;
    std::array<bool, 8> weekDays{};
    std::array<bool, 32> monthDays{};
    std::optional<QStringList> times; // as given, "hh:nn:ss"
    std::optional<bool> runMissed;
    std::optional<bool> shutdownAtEnd;
};
