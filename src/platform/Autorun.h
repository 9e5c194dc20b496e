#pragma once
// Starting the program at logon: an XDG autostart entry $XDG_CONFIG_HOME/autostart/zorvan-backup.desktop
// whose Exec line starts the program hidden.
#include <QString>

// Writes (on) or deletes (off) the entry for `program` (empty: this program). False, with no message,
// when the autostart folder cannot be created; false after an event that names the autostart folder
// when writing or deleting fails.
bool SetAutorun(bool on, const QString& program = QString());
QString AutorunEntryPath();
// The Exec value the entry stores for `program`: the path as one quoted argument followed by a blank
// and "/hide", escaped as desktop entries require.
QString AutorunExecLine(const QString& program);
