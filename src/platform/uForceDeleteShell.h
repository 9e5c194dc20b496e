#pragma once
// The forced delete of a file or a whole folder: every entry is made writable first, then removed.
#include <QString>

class TFileSystem;

// True when the file or folder is gone afterwards. False with "Failed to create shell item: " + path in
// `error` when the path does not exist, false with `error` left empty when entries remain.
bool ShellDeleteItem(TFileSystem& fileSystem, const QString& path, QString* error = nullptr);
