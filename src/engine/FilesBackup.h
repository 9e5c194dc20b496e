#pragma once
// The entry points of a files-and-folders job's backup: start a run on a worker thread, and remove the
// job's backups from the storage. Every front end (window, scheduler, command line) starts runs here,
// so that one job never runs twice at the same time.
#include "jobs/uJob_FilesAndFolders.h"

// Backup: the job becomes running with a fresh result and a copy of the global options, the events log
// gets "Starting the "%s" backup." and a worker thread runs the backup; its last act sets the job idle.
// False, with nothing changed, when the job already runs in this or another process.
bool StartFilesAndFoldersBackup(TJob_FilesAndFolders& job);
// BackupInThread: the run itself on the calling thread.
void RunFilesAndFoldersBackup(TJob_FilesAndFolders& job);
// Remove: deletes the job's remote job file and its folder on the storage; true on success.
bool RemoveFilesAndFoldersBackups(TJob_FilesAndFolders& job);
// True while a run of the job holds its run lock, in this or another process.
bool IsJobRunLocked(const QString& jobName);
