#pragma once
// "delete backup -keepVersions:N": deletes the oldest versions so that the newest N remain, and
// clears away versions left unfinished by a crash.
#include "imagetool/ImageToolCommand.h"

#include <QString>

class TToolConsole;

class TDeleteCommand
{
public:
    TDeleteCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host);
    int Run();

private:
    TImageToolCommand command;
    TToolConsole& console;
    QString host;
};
