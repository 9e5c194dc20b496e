#pragma once
// Starts a command of the image tool with administrator rights, hidden, without waiting for it: the
// stop and delete commands of drive image jobs.
#include <QHash>
#include <QString>
#include <QStringList>

namespace ElevatedToolCommand {

// Starts the tool of `variant` (ImageToolCommandLine::ToolVariants) with `arguments` through the
// system's elevation command. True when the command was started; false when the variant's executable
// is not there or nothing could be started.
//
// A command that needs `variables` (a network password) runs with the user's own rights instead: the
// elevation command passes no environment on, and on a command line a password is readable by every
// user; the rights on a share come from its user name and password anyway.
bool Start(const QString& variant, const QStringList& arguments,
           const QHash<QString, QString>& variables = {});

} // namespace ElevatedToolCommand
