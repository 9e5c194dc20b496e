#pragma once
// Questions the engine asks the storage directly, outside the logged file operations.
#include <QString>

class TJob;

// True when the storage answers for certain that nothing is at `path` (not when it cannot be asked).
bool StoragePathIsMissing(TJob& job, const QString& path);

// Waits until what was written to the storage volume holding `path` is on its disk: 0 or an errno
// (a write the device failed, or a storage that is gone).
int FlushStorage(TJob& job, const QString& path);
