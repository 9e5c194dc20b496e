#pragma once
// `zorvanbackup-cli edit NAME [OPTIONS]`: changes the settings given and nothing else, with the checks
// of the wizards, while no run of the job can start; the job file is replaced in one step.
#include <QString>
#include <QStringList>

class CliApp;

int RunEditCommand(CliApp& app, const QStringList& args);
// The command's lines of the help text, with the schedule options of create and edit.
QString EditCommandHelp();
