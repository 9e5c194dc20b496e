#pragma once
// After an unfinished mirror run: copies it was writing when it stopped are still on the storage under
// their temporary names, beside the files they were to replace. The next run removes them.
#include <QString>

class TJob;
class TPathList;

// Removes every file under `folder` on the storage whose name is a temporary copy's, except one the
// previous run recorded as a backed-up file (`recorded`, relative to `folder`): a source file may carry
// such a name. Removals are logged file operations with `retries`. Symbolic links to folders are not
// entered. Stops early when the job is cancelled.
void RemoveLeftoverCopies(TJob& job, const QString& folder, const TPathList& recorded, qint32 retries);
