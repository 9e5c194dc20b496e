#include "driveimage/ElevatedToolCommand.h"

#include "driveimage/ImageToolCommandLine.h"
#include "platform/ChildProcess.h"
#include "platform/ElevationCommand.h"

namespace ElevatedToolCommand {

bool Start(const QString& variant, const QStringList& arguments, const QHash<QString, QString>& variables)
{
    const QString executable = ImageToolCommandLine::ToolExecutable(variant);
    if (executable.isEmpty())
        return false;
    if (!variables.isEmpty())
        return TChildProcess::StartDetached(executable, arguments, variables);
    const QStringList line = TElevationCommand(executable).commandLine(arguments);
    return TChildProcess::StartDetached(line.first(), line.mid(1), {},
                                        {QString::fromLatin1(ImageToolCommandLine::kPasswordVariable)});
}

} // namespace ElevatedToolCommand
