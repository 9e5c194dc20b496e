#pragma once
// Notices job files that changed on disk while the scheduler runs (an edit from the command line) and
// takes their settings into the idle jobs of the catalogue, so that the next tick schedules by them.
#include <QDateTime>
#include <QHash>
#include <QString>

class TJobCatalogue;

class TJobFileWatch
{
public:
    // Records the state of every job file the first time its job is seen; afterwards, for each idle
    // job whose file has changed since, copies the file's settings into the job. A running job is
    // looked at again once it is idle (its run saves the file itself).
    void TakeChangedSettings(TJobCatalogue& jobs);

private:
    struct TStamp
    {
        QDateTime Modified;
        qint64 Size = -1;
        bool operator==(const TStamp&) const = default;
    };
    static TStamp StampOf(const QString& path);

    QHash<QString, TStamp> seen; // by job file path
};
