#pragma once
// Where the program keeps things on this system. Every value is read from the environment on each
// call, so tests that point HOME and the XDG variables at temporary folders see their own folders.
// An elevated instance uses the folders of the user who asked for it (AskingUser.h): that user's home
// from the system's user database, and the XDG variables the elevation passed on.
#include <QString>

namespace StandardFolders {
// The user's home folder.
QString homeFolder();
// $XDG_DATA_HOME (default ~/.local/share).
QString dataHomeFolder();
// $XDG_DATA_HOME/Zorvan Backup: options, jobs list, job files.
QString applicationDataFolder();
// /var/tmp/Zorvan Backup: created at start for every user; nothing is stored in it.
QString sharedDataFolder();
// $XDG_CONFIG_HOME (default ~/.config).
QString configFolder();
// $XDG_CACHE_HOME (default ~/.cache): a folder on disk that belongs to the user.
QString cacheFolder();
// $XDG_RUNTIME_DIR, or the temporary folder when it is not set: lock files and sockets.
QString runtimeFolder();
// The system's temporary folder (TMPDIR or /tmp).
QString tempFolder();
// The user's Documents folder.
QString documentsFolder();
// The folder of the running executable.
QString programFolder();
// The running executable's full path.
QString programPath();
} // namespace StandardFolders
