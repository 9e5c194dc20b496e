#pragma once
// "start recovery": writes the image of one volume of a version back to a device or a file.
#include "imagetool/ImageToolCommand.h"

#include <QString>

class TToolConsole;

class TRecoveryCommand
{
public:
    TRecoveryCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host);
    int Run();

private:
    TImageToolCommand command;
    TToolConsole& console;
    QString host;
};
