#pragma once
// The job commands of zorvanbackup-cli: create a job, run its backup in the foreground, and remove a
// job (optionally with its backups), for both kinds of job.
#include <QStringList>

class CliApp;

// create NAME [--kind files] --source PATH... --dest PATH [--type mirror|full|incremental] [--full-every N]
//        [--keep-full N] [--remove-before] [--include EXT;...|--exclude EXT;...]
//        [--user U --password-file FILE] [schedule options (CliScheduleOptions.h)]
// or, with "--kind image", a drive image job (CliImageCommands.h).
int RunCreateCommand(CliApp& app, const QStringList& args);
// backup NAME: one backup in the foreground; Ctrl-C cancels it as the Cancel command does.
int RunBackupCommand(CliApp& app, const QStringList& args);
// remove NAME [--with-backups]
int RunRemoveCommand(CliApp& app, const QStringList& args);
// The lines these commands add to the program's help.
QString JobCommandsHelp();
