#include "imagetool/ToolConsole.h"

#include <cerrno>
#include <unistd.h>

namespace {
constexpr qint64 kProgressRepeatMs = 1000;
}

TToolConsole::TToolConsole(int output, int input) : outputFd(output), inputFd(input) {}

TToolConsole::TToolConsole(QByteArray* buffer, const QByteArray& answers) : buffer(buffer), answers(answers)
{
}

void TToolConsole::Line(const QString& text)
{
    Write(text.toUtf8() + '\n');
}

void TToolConsole::Error(const QString& message)
{
    Line(QStringLiteral("ERROR ") + message);
}

void TToolConsole::Progress(const QString& subject, const QString& verb, int percent)
{
    if (subject == lastSubject && percent == lastPercent && sinceLastProgress.isValid() &&
        sinceLastProgress.elapsed() < kProgressRepeatMs)
        return;
    lastSubject = subject;
    lastPercent = percent;
    sinceLastProgress.start();
    Line(QStringLiteral("%1, %2 (%3%).").arg(subject, verb).arg(percent));
}

bool TToolConsole::Confirm(const QString& question)
{
    Write((question + QStringLiteral(" [Y] Yes [N] No ")).toUtf8());
    const QByteArray answer = ReadAnswer().trimmed().toLower();
    if (buffer)
        buffer->append(answer + '\n');
    return answer == "y" || answer == "yes";
}

void TToolConsole::Write(const QByteArray& bytes)
{
    if (buffer) {
        buffer->append(bytes);
        return;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(outputFd, data, std::size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return; // nobody reads the output any more (a closed pipe): the work goes on
        }
        data += written;
        left -= written;
    }
}

QByteArray TToolConsole::ReadAnswer()
{
    if (buffer) {
        const qsizetype end = answers.indexOf('\n');
        const QByteArray line = end < 0 ? answers : answers.left(end);
        answers = end < 0 ? QByteArray() : answers.mid(end + 1);
        return line;
    }
    QByteArray line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(inputFd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            return line;
        line.append(c);
    }
}
