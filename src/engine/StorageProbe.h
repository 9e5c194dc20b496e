#pragma once
// Questions the engine asks the storage directly, outside the logged file operations.
#include <QString>

class TJob;

// True when the storage answers for certain that nothing is at `path` (not when it cannot be asked).
bool StoragePathIsMissing(TJob& job, const QString& path);
