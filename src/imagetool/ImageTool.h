#pragma once
// The tool's entry: prints the banner, parses the command line and runs the command.
#include <QString>
#include <QStringList>

class TToolConsole;

class TImageTool
{
public:
    // `host` names this computer's folder on the backup target.
    TImageTool(TToolConsole& console, const QString& host);
    // Returns the exit code (ToolResults.h).
    int Run(const QStringList& arguments);

    static QString Banner();

private:
    void PrintUsage();

    TToolConsole& console;
    QString host;
};
