#include "driveimage/ImageToolOutput.h"

#include "jobs/uJob.h"
#include "logs/RunLog.h"

#include <algorithm>

namespace {

const QString kAccessDenied = QStringLiteral("Access denied. You must be a member");
const QString kNoSpace = QStringLiteral("There is not enough free space on the backup storage location");
const QString kBusy = QStringLiteral("Another backup or recovery operation is in progress");
const QString kCopied = QStringLiteral(", copied (");
const QString kError = QStringLiteral("ERROR");

// A tool that never ends a line still has its output handled, in pieces of this size.
constexpr qsizetype kMaxPendingUnits = 65536;

// Splits at CR, LF or CR LF. The text after the last line end (possibly empty) is the last element.
QStringList splitLines(const QString& text)
{
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != '\r' && c != '\n')
            continue;
        pieces.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    pieces.append(text.mid(start));
    return pieces;
}

} // namespace

TImageToolOutputReader::TImageToolOutputReader(TJob& job) : job(job) {}

QString TImageToolOutputReader::T(const char* text) const
{
    return job.Translate(QString::fromUtf8(text));
}

void TImageToolOutputReader::HandleChunk(const QByteArray& bytes)
{
    QString text = pending + decoder.decode(bytes);
    text.remove(QChar(0));
    if (text.isEmpty())
        return;
    // A CR that ended the previous read may be the first half of a CR LF.
    if (lineEndedByCr && text.startsWith('\n'))
        text.remove(0, 1);
    lineEndedByCr = text.endsWith('\r');
    QStringList lines = splitLines(text);
    pending = lines.takeLast();
    if (pending.size() > kMaxPendingUnits) {
        lines.append(pending);
        pending.clear();
    }
    HandleLines(lines);
}

void TImageToolOutputReader::Finish()
{
    QString rest = pending + decoder.decode(QByteArray());
    pending.clear();
    rest.remove(QChar(0));
    if (!rest.isEmpty())
        HandleLines(splitLines(rest));
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
    } else if (!line.isEmpty()) {
        LogPlain(job, line);
    }
}

void TImageToolOutputReader::HandleProgressLine(const QString& line, qsizetype copiedAt)
{
    const qsizetype numberAt = copiedAt + kCopied.size();
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
