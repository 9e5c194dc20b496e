// zorvan-imagetool: images whole volumes into versioned backups and restores them.
#include "imagetool/ImageTool.h"
#include "imagetool/StopRequest.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"
#include "platform/LargeBufferMemory.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <exception>

int main(int argc, char** argv)
{
    // Before any thread starts: the chunk buffers of images (several MiB each) then go back to the
    // system as soon as they are freed, instead of growing the heap for the rest of the process.
    KeepLargeBuffersInOwnMappings();
    // The application name (the program's file name) lets a lock file tell a live holder from a
    // process number that another program has taken over.
    QCoreApplication app(argc, argv);
    StopRequest::Install();
    TToolConsole console;
    try {
        return TImageTool(console, QSysInfo::machineHostName()).Run(QCoreApplication::arguments().mid(1));
    } catch (const std::exception& error) {
        console.Error(QStringLiteral("The tool failed: %1.").arg(QString::fromLocal8Bit(error.what())));
        return ecFailed;
    }
}
