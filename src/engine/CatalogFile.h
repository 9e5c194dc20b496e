#pragma once
// Catalogs and the start flag: UTF-8 text with a byte order mark, one entry per line, every line ended
// by CR LF; an empty list is the three mark bytes alone.
#include <QByteArray>
#include <QString>
#include <QStringList>

QByteArray EncodeCatalog(const QStringList& entries);
// Adds one entry with its line end to a catalog's content (which begins with the mark).
void AppendCatalogEntry(QByteArray& content, QStringView entry);
// Skips the mark when present and accepts CR LF, LF or CR as line ends.
QStringList DecodeCatalog(const QByteArray& content);

// Writes the file whole (temporary file and rename). False when it cannot be written.
bool WriteCatalogFile(const QString& path, const QStringList& entries);
bool WriteCatalogContent(const QString& path, const QByteArray& content);
// False when the file cannot be read.
bool ReadCatalogFile(const QString& path, QStringList& entries);
