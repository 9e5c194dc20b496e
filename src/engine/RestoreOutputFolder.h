#pragma once
// The folder a restore writes into, and the check every catalog entry passes before the restore
// touches anything for it: entries come from the storage and may be damaged or hostile, and a restore
// never writes, creates or deletes anything outside this folder.
#include <QString>

#include <optional>

class TRestoreOutputFolder
{
public:
    // `path` as the user chose it; it is resolved (links included) once, here.
    explicit TRestoreOutputFolder(const QString& path);

    const QString& path() const { return outputPath; }
    // False when the folder does not exist (any more).
    bool exists() const { return !canonicalRoot.isEmpty(); }

    // The entry as a clean relative path ("." and empty components dropped), or nothing when it must
    // be refused: an absolute or network path, a ".." component, a NUL character, a component below
    // the output folder that is a symbolic link leading out of it (or nowhere), and the output folder
    // itself unless `mayBeTheFolderItself` (a folder entry may be empty: a whole-file-system source).
    std::optional<QString> relativePathOf(const QString& entry, bool mayBeTheFolderItself) const;

private:
    bool isInside(const QString& canonicalPath) const;

    QString outputPath;
    QString canonicalRoot;
};

// An entry as a log line may show it: control characters (line breaks included) become "?".
QString PrintableEntry(const QString& entry);
