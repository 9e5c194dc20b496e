#pragma once
// The drive a local destination was on. After every backup run that was not cancelled, the file
// system holding the job's destination folder is remembered in the program's settings (by job name,
// with the destination path); a later run whose destination lies on another file system that holds
// none of the job's backups is refused when it connects. A drive that is not mounted leaves its empty
// mount point on the system disk, which the run would otherwise fill.
#include <QString>

class TJob;

// Empty when the run may go on: nothing is remembered for the job's destination (a job that never ran,
// a changed destination, a share), the file system is the remembered one, it holds the job's backups
// (the user moved them), or `acceptNew` (the user takes a new drive on purpose). Otherwise the refusal
// as a text that starts with "ERROR:", logged and counted here.
QString CheckDestinationIdentity(TJob& job, const QString& storageFolder, bool acceptNew);
// After a run that was not cancelled: remembers the file system of the job's local destination.
void RememberDestinationIdentity(TJob& job);
// Drops what is remembered under a job name: for a removed job, and for a new job that takes the name.
void ForgetDestinationIdentity(const QString& jobName);
// Moves what is remembered under `oldName` to `newName`: for a renamed job.
void MoveDestinationIdentity(const QString& oldName, const QString& newName);
// $XDG_CONFIG_HOME/Zorvan Backup/destinations.ini
QString DestinationIdentityFilePath();
