#pragma once
// What `create` and `edit` read the same way for every kind of job: the job name, the destination with
// its network user and password file, "--kind" (create only), the schedule options, the usage errors
// (exit code 64), and adding a new job to the catalogue with its job file. Each kind hands in a reader
// for its own options.
#include "cli/CliScheduleOptions.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CliApp;
class TJob;

class TCliCreateOptions
{
public:
    // Reads the kind's own option at args[i], moving i past the values it takes. Returns false when
    // args[i] is none of the kind's options; a usage error is reported by setting `problem`.
    using TKindOption = std::function<bool(const QStringList& args, qsizetype& i, QString& problem)>;

    // `kind` is the word "--kind" takes for this kind of job ("files", "image"); empty where "--kind"
    // is not taken. `command` names the command in the usage errors.
    TCliCreateOptions(CliApp& app, const QString& kind, const QString& command = QStringLiteral("create"));

    // Reads the whole command line. False after a usage error has been printed.
    bool parse(const QStringList& args, const TKindOption& kindOption);
    // Checks what parse() read for a new job: `kindComplete` tells whether the kind's required options
    // were given, `required` is the message when they, the name or the destination are missing. Reads
    // the password file and refuses a name that a job has already. False after a usage error has been
    // printed.
    bool validate(bool kindComplete, const QString& required);
    // The same checks for a change of `job`: the destination rules against what the job has.
    bool validateEdit(const TJob& job);
    // Writes the destination, credentials and schedule that were given into `job` and checks the
    // schedule. False after a usage error has been printed.
    bool applyTo(TJob& job);
    // Gives the new `job` the destination and schedule (a new job runs missed starts, as in the
    // wizards), saves its job file, adds it to the catalogue and saves the jobs list; prints `created`
    // on success. Returns the exit code.
    int add(std::unique_ptr<TJob> job, const QString& created);

    // A usage error of the command (exit code 64).
    int usage(const QString& problem);

    const QString& name() const { return jobName; }
    // Whether any option besides the name was read.
    bool anyGiven() const { return optionGiven; }

private:
    bool takeValue(const QStringList& args, qsizetype& i, QString& value);
    bool validateDestination(bool storedNetwork, const QString& storedUser);

    CliApp& app;
    QString kindWord;
    QString commandWord;
    QString jobName;
    QString destination;
    QString user;
    QString passwordFile;
    QString password;
    TCliScheduleOptions schedule;
    bool kindGiven = false;
    bool network = false;
    bool optionGiven = false;
};
