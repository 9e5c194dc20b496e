#pragma once
// Runs the built zorvan-imagetool as a child process and collects its output lines.
#include <QByteArray>
#include <QProcess>
#include <QStringList>

struct TToolRun
{
    int ExitCode = -1;
    QStringList Lines;

    // Lines that contain `text`.
    QStringList LinesWith(const QString& text) const;
};

namespace ToolRunner {

QString ToolPath();
// Runs `program arguments...` (the tool itself when `program` is empty) and waits for it.
TToolRun Run(const QStringList& arguments, const QString& program = {}, int timeoutMs = 120000);
// Splits output into lines as the drive image job does (CR, LF or CR LF).
QStringList SplitLines(const QByteArray& output);
// The percentage of a progress line ("<text>, copied (<n>%).") or -1.
int ProgressPercent(const QString& line, QString* subject = nullptr);

} // namespace ToolRunner
