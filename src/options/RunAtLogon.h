#pragma once
// Starting the program at logon, as the options switch it on and off.
#include <QString>

// Writes (on) or deletes (off) the autostart entry for `program` (empty: this program). False, with no
// message, when the autostart folder cannot be created; false after an event that names the autostart
// folder when writing or deleting fails.
bool SetAutorun(bool on, const QString& program = QString());
