#pragma once
// A picture of the main window for the documentation: with ZORVAN_SCREENSHOT=<file.png> the program
// saves its window once a run shows its progress (or after kMaxTicks ticks), then ends as on SIGTERM.
#include <QString>

class TZorvanBackupProgram;

class TWindowScreenshot
{
public:
    static constexpr int kMaxTicks = 15;

    // Watches the program's ticks when the environment asks for a picture; else does nothing.
    explicit TWindowScreenshot(TZorvanBackupProgram& program);

private:
    void ticked();
    bool runShowsProgress() const;

    TZorvanBackupProgram& program;
    QString path;
    int ticks = 0;
    bool taken = false;
};
