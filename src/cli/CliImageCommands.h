#pragma once
// The drive image side of zorvanbackup-cli's create command.
#include <QStringList>

class CliApp;

namespace CliImageCommands {

// True when the arguments of `create` ask for a drive image job ("--kind image").
bool IsImageCreate(const QStringList& args);
// create NAME --kind image --dest PATH --volume V [--volume V...] [--keep-versions N]
//        [--user U --password-file FILE]
// A destination in a network form (//server/share/..., smb://...) is a share; the password of its
// user is the first line of FILE ("-" for standard input), never a word of the command line.
int RunCreateImageJob(CliApp& app, const QStringList& args);

} // namespace CliImageCommands
