#pragma once
// "get versions": lists the complete versions of this computer on the target, oldest first.
#include "imagetool/ImageToolCommand.h"

#include <QString>

class TToolConsole;

class TVersionsCommand
{
public:
    TVersionsCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host);
    int Run();

private:
    TImageToolCommand command;
    TToolConsole& console;
    QString host;
};
