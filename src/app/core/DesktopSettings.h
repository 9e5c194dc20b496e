#pragma once
// The program's own settings that live in the settings file beside the window layout, not in the
// options file (whose format is fixed): verify_after_backup (1: verify the copies after each backup)
// and check_for_new_version (1: ask the update server at start; 0: never). The window program and the
// command line read them at start.

// False when the file or the value is missing.
bool LoadVerifyCopiesAfterBackup();
// False when the file could not be written.
bool SaveVerifyCopiesAfterBackup(bool on);

// The build's default (on, unless a distribution builds with ZORVAN_CHECK_FOR_NEW_VERSION=OFF) when the
// value is missing.
bool LoadCheckForNewVersionAtStart();
bool SaveCheckForNewVersionAtStart(bool on);
