#pragma once
// The tool's output and its few questions. Every line is written out at once (the drive image job
// reads the output through a pipe while the tool runs); progress lines are repeated at least once a
// second and whenever the percentage changes.
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

class TToolConsole
{
public:
    // Writes to the file descriptors `output` and reads answers from `input`.
    TToolConsole(int output = 1, int input = 0);
    // For tests: lines collect in `buffer`; questions are answered with `answers`, one line each.
    TToolConsole(QByteArray* buffer, const QByteArray& answers = {});

    void Line(const QString& text);
    // "ERROR " followed by the message.
    void Error(const QString& message);
    // "<subject>, <verb> (<percent>%)." at most once per percentage, and at least once a second.
    void Progress(const QString& subject, const QString& verb, int percent);
    // Asks a yes/no question; no answer (end of input) is a no.
    bool Confirm(const QString& question);

private:
    void Write(const QByteArray& bytes);
    QByteArray ReadAnswer();

    int outputFd = 1;
    int inputFd = 0;
    QByteArray* buffer = nullptr;
    QByteArray answers;
    QString lastSubject;
    int lastPercent = -1;
    QElapsedTimer sinceLastProgress;
};
