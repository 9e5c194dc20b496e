#include "driveimage/ImageToolOutput.h"

#include "jobs/uJob.h"
#include "logs/RunLog.h"

#include <algorithm>

namespace {

const QString kAccessDenied = QStringLiteral("Access denied. You must be a member");
const QString kNoSpace = QStringLiteral("There is not enough free space on the backup storage location");
const QString kBusy = QStringLiteral("Another backup or recovery operation is in progress");
const QString kCopied = QStringLiteral(", copied (");
const QString kChecked = QStringLiteral(", checked (");
const QString kError = QStringLiteral("ERROR");

// A tool that never ends a line still has its output handled, in pieces of this size.
constexpr qsizetype kMaxPendingBytes = 65536;

// Splits at CR, LF or CR LF. The bytes after the last line end (possibly none) are the last element.
QList<QByteArray> splitLines(const QByteArray& bytes)
{
    QList<QByteArray> pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        pieces.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    pieces.append(bytes.mid(start));
    return pieces;
}

QStringList decoded(const QList<QByteArray>& lines)
{
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray& line : lines)
        texts.append(QString::fromUtf8(line));
    return texts;
}

} // namespace

TImageToolOutputReader::TImageToolOutputReader(TJob& job) : job(job) {}

QString TImageToolOutputReader::T(const char* text) const
{
    return job.Translate(QString::fromUtf8(text));
}

void TImageToolOutputReader::HandleChunk(const QByteArray& bytes)
{
    QByteArray data = pending + bytes;
    data.replace(QByteArrayView("\0", 1), QByteArrayView());
    if (data.isEmpty())
        return;
    // A CR that ended the previous read may be the first half of a CR LF.
    if (lineEndedByCr && data.startsWith('\n'))
        data.remove(0, 1);
    lineEndedByCr = data.endsWith('\r');
    QList<QByteArray> lines = splitLines(data);
    pending = lines.takeLast();
    if (pending.size() > kMaxPendingBytes) {
        lines.append(pending);
        pending.clear();
    }
    HandleLines(decoded(lines));
}

void TImageToolOutputReader::Finish()
{
    const QByteArray rest = pending;
    pending.clear();
    if (!rest.isEmpty())
        HandleLines(decoded(splitLines(rest)));
}

void TImageToolOutputReader::HandleLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    // The tool's access-denied message comes with lines that only explain it: one error stands for all.
    if (std::any_of(lines.begin(), lines.end(),
                    [](const QString& line) { return line.contains(kAccessDenied); })) {
        LogError(job, T("For system backup you must run the application as admin."));
        return;
    }
    for (const QString& line : lines)
        HandleLine(line);
}

void TImageToolOutputReader::HandleLine(const QString& line)
{
    if (line.contains(kError)) {
        ++job.LastJobResult.ErrorsCount;
        QString text = line;
        text.replace(kError, T("ERROR:"));
        LogLine(job, text);
    } else if (line.contains(kNoSpace) || line.contains(kBusy)) {
        ++job.LastJobResult.ErrorsCount;
        LogLine(job, T("ERROR:") + line);
    } else if (line.contains(QStringLiteral("Copyright")) ||
               line.contains(QStringLiteral("Backup command-line tool"))) {
        return;
    } else if (const qsizetype copiedAt = line.indexOf(kCopied); copiedAt >= 0) {
        HandleProgressLine(line, copiedAt);
    } else if (const qsizetype checkedAt = line.indexOf(kChecked); checkedAt >= 0) {
        // A recovery checks the image before it writes anything.
        HandleProgressLine(line, checkedAt);
    } else if (!line.isEmpty()) {
        LogPlain(job, line);
    }
}

void TImageToolOutputReader::HandleProgressLine(const QString& line, qsizetype copiedAt)
{
    const qsizetype numberAt = line.indexOf('(', copiedAt) + 1;
    const qsizetype percentAt = line.indexOf('%', copiedAt);
    if (percentAt < 0)
        return;
    bool ok = false;
    const int percent = line.mid(numberAt, percentAt - numberAt).toInt(&ok);
    if (!ok)
        return;
    job.CurrentFileOperationProgress = std::clamp(percent, 0, 100);
    job.CurrentFileOperationPath.set(line.left(copiedAt));
}
