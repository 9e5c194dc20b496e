#pragma once
// Starting the program at logon: an XDG autostart entry $XDG_CONFIG_HOME/autostart/zorvan-backup.desktop
// whose Exec line starts the program hidden.
#include <QString>

enum class TAutorunResult
{
    Done,
    NoFolder,   // the autostart folder cannot be created
    WriteFailed // the entry cannot be written or deleted
};
// Writes (on) or deletes (off) the entry for `program` (empty: this program).
TAutorunResult WriteAutorunEntry(bool on, const QString& program = QString());
// The folder that holds the entry.
QString AutorunFolder();
QString AutorunEntryPath();
// The Exec value the entry stores for `program`: the path as one quoted argument followed by a blank
// and "/hide", escaped as desktop entries require.
QString AutorunExecLine(const QString& program);
