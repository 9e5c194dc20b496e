#include "ToolRunner.h"

#include <QRegularExpression>

QStringList TToolRun::LinesWith(const QString& text) const
{
    return Lines.filter(text, Qt::CaseSensitive);
}

namespace ToolRunner {

QString ToolPath()
{
    return QStringLiteral(ZORVAN_BIN_DIR "/zorvan-imagetool");
}

TToolRun Run(const QStringList& arguments, const QString& program, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program.isEmpty() ? ToolPath() : program, arguments);
    TToolRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Lines = SplitLines(process.readAll());
    return run;
}

QStringList SplitLines(const QByteArray& output)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = QString::fromUtf8(output).split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

int ProgressPercent(const QString& line, QString* subject)
{
    const qsizetype p = line.indexOf(QStringLiteral(", copied ("));
    if (p < 0)
        return -1;
    const qsizetype q = line.indexOf('%', p);
    if (q < 0)
        return -1;
    bool ok = false;
    const int value = line.mid(p + 10, q - p - 10).toInt(&ok);
    if (subject)
        *subject = line.left(p);
    return ok ? value : -1;
}

} // namespace ToolRunner
