#pragma once
// Writes that survive a crash or power loss, with the errno of a failure (ENOSPC must be told apart).
#include <QByteArray>
#include <QString>

namespace DurableFile {

// Writes `content` to a temporary file beside `path`, syncs it and renames it over `path`.
// Returns 0 or the errno of the failure.
int Write(const QString& path, const QByteArray& content, int mode = 0600);
// Syncs a folder, so that files created or renamed in it are kept. Returns 0 or errno.
int SyncFolder(const QString& path);
// Creates one folder level. Returns 0 (also when it exists already) or errno.
int MakeFolder(const QString& path);
// errno as text.
QString ErrorText(int error);

} // namespace DurableFile
