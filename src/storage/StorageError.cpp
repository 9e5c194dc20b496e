#include "storage/StorageError.h"

#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/FileSystem.h"

#include <cstring>

QString SystemErrorDescription(int error)
{
    char buffer[256];
    // The GNU variant: returns a pointer to the text, which may or may not be the buffer.
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

QString SystemErrorText(int error, const TJob* job)
{
    const QString format = QStringLiteral("System Error.  Code: %d.");
    QString text = job ? job->Translate(format) : format;
    text.replace(QStringLiteral("%d"), QString::number(error));
    return text + '\n' + SystemErrorDescription(error);
}

QString WithoutLineBreaks(const QString& text)
{
    QString result = text;
    result.remove(QStringLiteral("\r\n"));
    result.remove('\n');
    return result;
}

void LogDeferredFailures(TJob& job, TFileSystem& fileSystem, bool finish)
{
    if (finish)
        fileSystem.finishDeferred();
    const QList<TDeferredFailure> failures = fileSystem.takeDeferredFailures();
    for (const TDeferredFailure& failure : failures)
        LogError(job, WithoutLineBreaks(SystemErrorText(failure.error, &job)) + ' ' + failure.path);
}
