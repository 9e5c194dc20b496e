#pragma once
// "stop job": stops the backup or recovery that this user runs, and waits until it has cleaned up.
#include <QString>

class TToolConsole;

class TStopCommand
{
public:
    explicit TStopCommand(TToolConsole& console);
    int Run();

private:
    TToolConsole& console;
};
