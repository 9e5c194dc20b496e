#include "imagetool/ImageTool.h"

#include "imagetool/BackupCommand.h"
#include "imagetool/DeleteCommand.h"
#include "imagetool/ImageToolCommand.h"
#include "imagetool/RecoveryCommand.h"
#include "imagetool/StopCommand.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"
#include "imagetool/VersionsCommand.h"

TImageTool::TImageTool(TToolConsole& console, const QString& host) : console(console), host(host) {}

QString TImageTool::Banner()
{
    return QStringLiteral("zorvan-imagetool " ZORVAN_VERSION
                          " - Backup command-line tool. Copyright (C) the Zorvan Backup developers.");
}

int TImageTool::Run(const QStringList& arguments)
{
    console.Line(Banner());
    const TCommandParseResult parsed =
        ParseImageToolCommand(arguments, qEnvironmentVariable("ZORVAN_IMAGETOOL_PASSWORD"));
    if (!parsed.Error.isEmpty()) {
        console.Error(parsed.Error);
        console.Line(QStringLiteral("Run \"zorvan-imagetool help\" for the commands and their options."));
        return ecUsage;
    }
    const TImageToolCommand& command = parsed.Command;
    switch (command.Verb) {
    case TToolVerb::tvHelp:
        PrintUsage();
        return ecSuccess;
    case TToolVerb::tvStartBackup:
        return TBackupCommand(command, console, host).Run();
    case TToolVerb::tvStopJob:
        return TStopCommand(console).Run();
    case TToolVerb::tvDeleteBackup:
        return TDeleteCommand(command, console, host).Run();
    case TToolVerb::tvStartRecovery:
        return TRecoveryCommand(command, console, host).Run();
    case TToolVerb::tvGetVersions:
        return TVersionsCommand(command, console, host).Run();
    }
    return ecUsage;
}

void TImageTool::PrintUsage()
{
    const char* lines[] = {
        "Commands:",
        "  start backup -backupTarget:<folder> -include:<volume>[,<volume>...] [-allCritical] [-quiet]",
        "               [-user:<name> -password:<password>]",
        "      Images the volumes (block devices, mount points or image files) into a new version",
        "      <folder>/ZorvanImageBackup/<computer>/<yyyy-mm-dd hh;mm;ss>/. -allCritical adds the",
        "      volumes the system starts from.",
        "  stop job [-quiet]",
        "      Stops the backup or recovery that you are running; an unfinished version is removed.",
        "  delete backup -backupTarget:<folder> -keepVersions:<N> [-quiet]",
        "      Deletes the oldest versions so that the newest N remain (0 deletes all).",
        "  start recovery -version:<version> -items:<volume> -backupTarget:<folder>",
        "                 -recoveryTarget:<device or file> [-machine:<computer>] [-quiet]",
        "      Checks the image and writes the volume to an unmounted device or to a file.",
        "  get versions -backupTarget:<folder> [-machine:<computer>]",
        "      Lists the versions of this computer on the target.",
        "-machine: reads the versions of the named computer instead of this one (for a system started",
        "from other media, whose computer name differs).",
        "A <folder> may be an SMB share (//server/share/folder); -user: and -password: then log on to it",
        "(a blank user: the current user's credentials or a guest session). The commands that take a",
        "<folder> also take -user: and -password:.",
        "Without -quiet, deleting and recovering ask for confirmation. A network password may be given",
        "in the environment variable ZORVAN_IMAGETOOL_PASSWORD instead of -password:.",
        "Exit codes: 0 success, 1 failure, 2 wrong command line, 3 access denied, 4 not enough free space,",
        "5 stopped or declined, 6 another operation in progress.",
    };
    for (const char* line : lines)
        console.Line(QString::fromLatin1(line));
}
