#pragma once
// The program's own settings that live in the settings file beside the window layout, not in the
// options file (whose format is fixed): verify_after_backup (1: verify the copies after each backup).
// The window program and the command line read them at start.

// False when the file or the value is missing.
bool LoadVerifyCopiesAfterBackup();
// False when the file could not be written.
bool SaveVerifyCopiesAfterBackup(bool on);
