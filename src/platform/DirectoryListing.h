#pragma once
// Reading source folders: one open listing per folder, entries with their kind, size, last-write time
// and mode. Symbolic links are resolved: a link to a file is a file (its target's size and time), a
// link to a folder is reported as such so that the walk never enters it. Sockets, FIFOs and device
// files are "other": they are never opened. An entry that is listed but cannot be looked at (a folder
// that can be read but not searched, a link whose target cannot be reached) is "unreadable", with the
// system's error code.
#include <QString>

#include <dirent.h>

struct TDirectoryEntry
{
    enum TKind : quint8
    {
        ekFile = 0,
        ekFolder = 1,
        ekLinkToFolder = 2,
        ekOther = 3,
        ekVanished = 4,   // listed, but gone before it could be looked at
        ekUnreadable = 5, // listed, but it (or a link's target) cannot be looked at: see `error`
    };
    QString name;
    TKind kind = ekOther;
    bool wasListedAsFolder = false; // the listing's own type, for entries that have vanished
    qint64 size = 0;
    qint64 mtimeMsecs = 0; // last-write time, milliseconds since 1970-01-01 UTC
    quint32 mode = 0;
    int error = 0; // errno of an unreadable entry
};

class TDirectoryListing
{
public:
    TDirectoryListing() = default;
    ~TDirectoryListing() { close(); }
    TDirectoryListing(const TDirectoryListing&) = delete;
    TDirectoryListing& operator=(const TDirectoryListing&) = delete;

    // False when the folder cannot be listed (missing, not a folder, no permission): see error().
    bool open(const QString& folder);
    // The next entry other than "." and ".."; false at the end, or when the listing broke off: see error().
    bool next(TDirectoryEntry& entry);
    void close();
    // 0, or the errno of an open that failed or of a listing that broke off before its end.
    int error() const { return failure; }

private:
    DIR* dir = nullptr;
    int failure = 0;
};

// Looks at one path, following a final symbolic link. False when nothing is there.
bool StatSourcePath(const QString& path, TDirectoryEntry& entry);
bool SourceFolderExists(const QString& path);
bool SourceFileExists(const QString& path);
