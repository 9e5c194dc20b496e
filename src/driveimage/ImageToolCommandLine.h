#pragma once
// The image tool's command lines for a drive image job, and where the tool is found.
#include <QHash>
#include <QString>
#include <QStringList>

class TJob_DriveImage;

namespace ImageToolCommandLine {

// The variable through which the tool takes a network password: a password on a command line can be
// read by every user of the computer in the process list.
inline constexpr char kPasswordVariable[] = "ZORVAN_IMAGETOOL_PASSWORD";

// The two ways of starting the tool, tried in this order: its name, looked up in PATH, then the
// program beside this one (empty when this program's folder is unknown).
QStringList ToolVariants();
// The absolute path of a variant's executable, or empty when it is not there.
QString ToolExecutable(const QString& variant);

// The mount point that holds `path`, or its nearest existing parent folder, as its links resolve.
QString DrivePartOf(const QString& path);
// A source entry as the tool names the volume: the entry without trailing "/" (the root stays "/").
QString VolumeOf(const QString& sourceEntry);
// The volumes of the job's source list, in order, joined with "," and no blanks.
QString IncludeList(const QStringList& sourceDrives);

// Where the tool keeps the job's versions: the network path, or the mount point of the local
// destination's drive.
QString BackupTargetOf(const TJob_DriveImage& job);
// The arguments that name the job's storage: -backupTarget: and, on a share with a user, -user:.
QStringList StorageArguments(const TJob_DriveImage& job);
// The tool's arguments after "start backup", by destination type. A network path is in double
// quotes; the user name is passed as it stands and the password never (see ToolEnvironment).
QStringList BackupArguments(const TJob_DriveImage& job);
// The tool's arguments after "delete backup" for keeping `keepVersions` versions.
QStringList DeleteArguments(const TJob_DriveImage& job, const QString& keepVersions);
// The arguments of the stop command.
QStringList StopArguments();
// Variables set for the tool's process: the password of a network destination with a user name.
QHash<QString, QString> ToolEnvironment(const TJob_DriveImage& job);

// The whole argument lists of the three commands, with the command words in front.
QStringList WithCommand(const char* first, const char* second, const QStringList& arguments);

} // namespace ImageToolCommandLine
