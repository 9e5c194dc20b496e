#pragma once
// Reading and writing the scrambled configuration files (options file, local and remote job files).
#include <QByteArray>
#include <QString>

// Scrambles `plain` and writes it through a temporary file beside `path` that is flushed and renamed
// over the old file, so a crash never leaves half a file. The file is readable by its owner only:
// it may hold passwords. Returns false (and an error text) on any failure.
bool WriteScrambledFile(const QString& path, const QByteArray& plain, QString* error = nullptr);

enum class TScrambledReadStatus
{
    Ok,
    Missing,
    ReadError
};
// Reads the whole file and unscrambles it into `plain`.
TScrambledReadStatus ReadScrambledFile(const QString& path, QByteArray& plain);
