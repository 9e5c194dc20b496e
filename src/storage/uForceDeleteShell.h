#pragma once
// The forced delete of a file or a whole folder: every entry is made writable first, then removed.
#include <QString>

class TFileSystem;

// True when the file or folder is gone afterwards. Raises TStorageError
// ("Failed to create shell item: " + path) when the path does not exist.
bool ShellDeleteItem(const QString& path);
bool ShellDeleteItem(TFileSystem& fileSystem, const QString& path);
