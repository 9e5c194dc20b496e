#pragma once
// "start backup": images the included volumes into a new version on the target.
#include "imagetool/ImageToolCommand.h"

#include <QString>

class TToolConsole;

class TBackupCommand
{
public:
    TBackupCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host);
    // Returns the exit code.
    int Run();

private:
    TImageToolCommand command;
    TToolConsole& console;
    QString host;
};
