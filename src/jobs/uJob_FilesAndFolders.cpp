#include "jobs/uJob_FilesAndFolders.h"

TJob_FilesAndFolders::TJob_FilesAndFolders(const QString& name) : TJob(name)
{
    // Matches the default backup type, which is not a mirror.
    NewSubfolderIsCreatedForEachBackup = true;
}
