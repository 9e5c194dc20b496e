#pragma once
// Starting the program at logon: an XDG autostart entry $XDG_CONFIG_HOME/autostart/zorvan-backup.desktop
// whose Exec line starts the program hidden.
#include <QString>

// Writes (on) or deletes (off) the entry. False, with no message, when the autostart folder cannot be
// created; false after the event "Error writing to Registry. Make sure you have the rights." when
// writing or deleting fails.
bool SetAutorun(bool on);
QString AutorunEntryPath();
// The Exec line the entry carries: the program's path in double quotes, a blank and "/hide".
QString AutorunExecLine();
