#pragma once
// Helpers of the storage and copy tests (also used by the SMB integration tests): QString printing
// for GoogleTest and a look at a job's run log.
#include "jobs/uJob.h"
#include "support/QtPrinters.h"

#include <QString>
#include <QStringList>

#include <ostream>

inline std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}

// The run log lines without their time prefix ("hh:mm:ss: ").
inline QStringList LogTexts(const TJob& job)
{
    QStringList texts;
    for (const QString& line : job.LastJobResult.Log.snapshot()) {
        const qsizetype separator = line.indexOf(QStringLiteral(": "));
        texts.append(separator < 0 ? line : line.mid(separator + 2));
    }
    return texts;
}

inline int CountStartingWith(const QStringList& lines, const QString& prefix)
{
    int count = 0;
    for (const QString& line : lines)
        count += line.startsWith(prefix) ? 1 : 0;
    return count;
}

inline QString JoinedLog(const TJob& job)
{
    return LogTexts(job).join('\n');
}
