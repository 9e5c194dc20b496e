#pragma once
// The restore commands of zorvanbackup-cli: the restore points of a job, a restore into a folder, and
// the import of a job from its copy on the backup storage.
#include <QStringList>

class CliApp;

// points NAME: the restore point labels with their index, oldest first.
int RunPointsCommand(CliApp& app, const QStringList& args);
// restore NAME --to DIR [--point N|--latest] [--only PATH]...: a restore in the foreground, of the
// chosen files and folders only when --only is given; Ctrl-C cancels it.
int RunRestoreCommand(CliApp& app, const QStringList& args);
// import FILE.kxj: the job joins the catalogue with its schedule disabled.
int RunImportCommand(CliApp& app, const QStringList& args);
