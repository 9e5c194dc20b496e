#pragma once
// What `create` reads the same way for every kind of job: the job name, the destination with its
// network user and password file, "--kind", the usage errors (exit code 64), and adding the finished
// job to the catalogue with its job file. Each kind hands in a reader for its own options.
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

    // `kind` is the word "--kind" takes for this kind of job ("files", "image").
    TCliCreateOptions(CliApp& app, const QString& kind);

    // Reads the whole command line. False after a usage error has been printed.
    bool parse(const QStringList& args, const TKindOption& kindOption);
    // Checks what parse() read: `kindComplete` tells whether the kind's required options were given,
    // `required` is the message when they, the name or the destination are missing. Reads the password
    // file and refuses a name that a job has already. False after a usage error has been printed.
    bool validate(bool kindComplete, const QString& required);
    // Gives `job` the destination, saves its job file, adds it to the catalogue and saves the jobs
    // list; prints `created` on success. Returns the exit code.
    int add(std::unique_ptr<TJob> job, const QString& created);

    // A usage error of the create command (exit code 64).
    int usage(const QString& problem);

    const QString& name() const { return jobName; }

private:
    bool takeValue(const QStringList& args, qsizetype& i, QString& value);

    CliApp& app;
    QString kindWord;
    QString jobName;
    QString destination;
    QString user;
    QString passwordFile;
    QString password;
    bool kindGiven = false;
    bool network = false;
};
