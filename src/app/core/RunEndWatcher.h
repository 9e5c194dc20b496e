#pragma once
// Finds the runs that ended since the last look and that the user should hear about: a run the user did
// not start by hand that ended with errors, with warnings or cancelled. Looked at once per tick.
#include <QList>
#include <QString>

#include <unordered_map>

class TJob;
class TJobCatalogue;

struct TRunEndNotice
{
    QString JobName;
    // The job's "Last Result" text: "Finished with errors on ...", "Cancelled on ...".
    QString Text;
    bool Errors = false; // errors or cancelled rather than warnings only
};

class TRunEndWatcher
{
public:
    // Takes the jobs' current state as already known: results loaded from the job files are old news.
    explicit TRunEndWatcher(const TJobCatalogue& jobs);

    // The user started the job's next run with "Backup".
    void MarkStartedByHand(const TJob& job);

    // The runs that ended since the last call and deserve a notice.
    QList<TRunEndNotice> Check();

private:
    struct TSeen
    {
        bool Busy = false;    // waiting or running when last seen
        bool Running = false; // a run was seen in progress since it was last idle
        bool ByHand = false;
        double StartTime = 0; // of the last run seen
    };
    const TJobCatalogue& jobs;
    std::unordered_map<const TJob*, TSeen> seen;
};
