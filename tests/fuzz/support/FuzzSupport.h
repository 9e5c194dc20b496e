#pragma once
// What the fuzz targets share: a private folder tree for the readers that only take a path, the
// check that turns a broken property into a crash libFuzzer keeps, and the restore's output folder
// with the links a hostile entry may aim at.
#include "engine/RestoreOutputFolder.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace Fuzz {

// Sets up once, with TestEnvironment, a private folder tree (HOME, XDG_* and TMPDIR), in memory where
// the system has a memory file system: some readers write through a temporary file and sync it.
// Returns its root.
QString PrivateFolder();
// A new empty folder below the private one, named after `hint` (its path resolved).
QString Folder(const QString& hint);
QByteArray Bytes(const uint8_t* data, size_t size);
// Aborts with `what` (and `detail`, control characters shown as "?") when `holds` is false.
void Check(bool holds, const char* what, const QString& detail = QString());
// Drops what the readers queued for the events log, which nothing flushes here.
void DropEvents();

// A backup subfolder name that the run or the restore accepted: joined to a backup folder as they join
// it, it must name a folder directly inside.
void CheckBackupSubfolder(const QString& subfolder);

// A restore's output folder holding a file, a folder, a link into the folder, a link leading out of
// it (to a folder beside it) and a link leading nowhere.
class TOutputFolder
{
public:
    TOutputFolder();
    // Passes the entry through the restore's check; an accepted entry must name a place inside the
    // folder, both as the restore joins it and as the file system resolves it.
    void CheckEntry(const QString& entry, bool mayBeTheFolderItself) const;

private:
    QString root;
    TRestoreOutputFolder output;
};

} // namespace Fuzz
