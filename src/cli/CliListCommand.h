#pragma once
// zorvanbackup-cli ls: what a restore point holds, and the check of the items a restore is limited to.
#include <QStringList>

class CliApp;
class TJob_FilesAndFolders;

// ls NAME [--point N] [PATH]: the files and folders of a point (the latest by default) below PATH,
// with the size and time of each file.
int RunListPointCommand(CliApp& app, const QStringList& args);

// Reads the contents of the point and checks that every item is in it. False, with the reason on the
// error stream, when the contents cannot be read or an item is not there.
bool CheckRestoreItems(CliApp& app, TJob_FilesAndFolders& job, const QStringList& points, qint32 index,
                       const QStringList& items);
