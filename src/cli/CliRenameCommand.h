#pragma once
// zorvanbackup-cli rename: a job's new name, given to its backup folder, files and logs as well.
#include <QStringList>

class CliApp;

// rename NAME NEW_NAME
int RunRenameCommand(CliApp& app, const QStringList& args);
