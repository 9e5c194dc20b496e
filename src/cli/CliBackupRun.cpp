#include "cli/CliBackupRun.h"

#include "base/ByteSize.h"
#include "cli/CliApp.h"
#include "engine/FilesBackupRun.h"
#include "events/EventsLog.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/RunLifecycle.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// How often new log lines, the live line and a stop signal are looked at while the run goes on.
constexpr std::chrono::milliseconds kRefreshInterval{100};

int terminalWidth()
{
    winsize size{};
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
}

// The live line on a terminal: for a files job the files copied and bytes, then the current item and
// its percentage (a drive image run reports only these).
QString progressLine(const TJob& job, int width)
{
    QStringList parts;
    if (job.Kind() == jkFilesAndFolders)
        parts.append(QStringLiteral("%1 files, %2")
                         .arg(job.CurrentBackupFilesProcessed.load())
                         .arg(FormatByteSize(job.CurrentBackupSize.load())));
    if (job.JobStatus.load() == jsPaused)
        parts.append(QStringLiteral("paused"));
    const QString path = job.CurrentFileOperationPath.get();
    if (!path.isEmpty())
        parts.append(QStringLiteral("%1% %2").arg(job.CurrentFileOperationProgress.load()).arg(path));
    QString line = parts.join(QStringLiteral(" - "));
    if (line.size() >= width)
        line = line.left(width - 2) + QChar(0x2026);
    return line;
}

bool isWarningOrError(const TJob& job, const QString& line)
{
    return line.contains(job.Translate(QStringLiteral("ERROR:"))) ||
           line.contains(job.Translate(QStringLiteral("WARNING:")));
}

} // namespace

int RunBackupInForeground(CliApp& app, TJob& job, const std::function<bool()>& start)
{
    std::unique_ptr<TStopSignals> stop;
    if (QCoreApplication::instance())
        stop = std::make_unique<TStopSignals>();
    if (!job.isIdle() || !start())
        return app.jobIsRunning(job);

    const bool terminal = isatty(STDOUT_FILENO) == 1;
    qsizetype printed = 0;
    bool cancelAsked = false;
    QString shown;
    QDeadlineTimer redraw(0);
    const auto clearLive = [&] {
        if (!shown.isEmpty())
            app.out << '\r' << QString(shown.size(), ' ') << '\r';
        shown.clear();
    };
    const auto printNewLines = [&](bool final) {
        // Line by line: a copy of the whole log would make the worker copy it again on its next line.
        const TSharedStringList& log = job.LastJobResult.Log;
        for (const qsizetype size = log.size(); printed < size; ++printed) {
            const QString line = log.at(printed);
            if (terminal && !final && !isWarningOrError(job, line))
                continue;
            if (terminal)
                clearLive();
            app.out << line << '\n';
        }
    };
    while (!job.isIdle()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (stop && stop->received() != 0 && !cancelAsked) {
            job.Cancel();
            cancelAsked = true;
        }
        printNewLines(false);
        if (terminal && redraw.hasExpired()) {
            redraw.setRemainingTime(200);
            const QString line = progressLine(job, terminalWidth());
            if (line != shown) {
                clearLive();
                app.out << line;
                shown = line;
            }
        }
        app.out.flush();
        // The end of the run wakes this at once; new log lines and a stop signal wait for the timeout.
        job.WaitUntil([&job] { return job.isIdle(); }, kRefreshInterval);
    }
    // The run has ended: the log no longer grows. Its closing part runs from the last separator on.
    // Only that part is copied: a copy of a whole large run's log would double its memory.
    const TSharedStringList& log = job.LastJobResult.Log;
    qsizetype closing = log.lastIndexOf(RunSeparatorText());
    if (closing < 0)
        closing = log.size();
    const QStringList closingLines = log.mid(closing);
    if (terminal) {
        clearLive();
        printed = closing;
    }
    printNewLines(true);
    app.out.flush();
    // The events that the closing lines do not already say (the start, an error that ended the worker).
    for (const QString& event : EventsQueue().takeAll()) {
        // An event line is its date and time, ": " and the text; a log line ends with the text.
        const QString text = event.mid(event.indexOf(QLatin1String(": ")) + 2);
        const auto repeated = [&text](const QString& line) { return line.endsWith(text); };
        if (std::none_of(closingLines.begin(), closingLines.end(), repeated))
            app.err << event << '\n';
    }
    app.err.flush();
    return CliApp::runResultCode(job);
}
