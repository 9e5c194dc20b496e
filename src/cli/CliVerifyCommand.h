#pragma once
// verify NAME [--point N|--all] [--read-data]: proves that restore points can be restored. One line
// per problem, a summary per point; exit 0 all proven, 1 only files without a recorded checksum,
// 2 problems found, 3 cancelled or the storage not reached.
#include <QStringList>

class CliApp;

int RunVerifyCommand(CliApp& app, const QStringList& args);
