#pragma once
// Questions the engine asks the storage directly, outside the logged file operations.
#include "platform/FileSystem.h"

#include <QString>

#include <memory>

class TJob;

// True when the storage answers for certain that nothing is at `path` (not when it cannot be asked).
bool StoragePathIsMissing(TJob& job, const QString& path);

// False only when the storage folder is known to tell names apart by letter case: a file made there
// under a fresh name is looked up with the case of every letter swapped, then removed. A storage that
// cannot be asked counts as ignoring case, the side on which no copy lands on another.
bool StorageFolderIgnoresCase(TJob& job, const QString& folder);

// Watches the writes to the storage volume holding the folder `path` from now on; null when there
// is nothing to wait for (a share) or the storage cannot be asked.
std::unique_ptr<TVolumeWrites> WatchStorageWrites(TJob& job, const QString& path);
