#pragma once
// What one row of the job list shows for a job: the texts of its four cells, their colours and the
// progress of a running job, read from the job's fields at one moment.
#include "jobs/uJob.h"
#include "scheduler/Schedule.h"

#include <QColor>
#include <QString>

struct TJobRowCells
{
    QString Title;
    QString Operation;
    bool OperationIsAlert = false; // the storage is gone: the whole cell in red
    QString Status;
    QString LastResult;
    QColor LastResultColour;
    int Progress = -1; // 0..100 while the job runs or is paused; -1: no progress bar

    bool operator==(const TJobRowCells& other) const = default;
    // The four texts in one line, for screen readers and the model's display text.
    QString joined() const;
};

inline const QColor kRowTextColour{0xFF, 0xFF, 0xFF};
inline const QColor kRowAlertColour{0xFF, 0x00, 0x00};
inline const QColor kResultFailedColour{0xFF, 0xCE, 0xCE};
inline const QColor kResultWarningsColour{0xFF, 0xEE, 0x94};
inline const QColor kResultFinishedColour{0x74, 0xE6, 0x89};

TJobRowCells JobRowCells(const TJob& job);
// "Copying Report.docx", "Backup to /media/disk", ... (translated).
QString JobOperationText(const TJob& job, bool* alert = nullptr);
// The colour of the "Last Result" text: white, light red for cancelled or failed runs, yellow for
// runs with warnings, green for runs that finished cleanly.
QColor LastResultColour(const TJob& job);
// The row's tooltip: the next scheduled start and the counts of the last run.
QString JobRowToolTip(const TJob& job, const TScheduleMoment& now);
