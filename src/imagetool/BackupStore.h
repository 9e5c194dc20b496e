#pragma once
// The versions on a backup target: <target>/ZorvanImageBackup/<host>/<yyyy-mm-dd hh;nn;ss>/, each
// holding one <volume>.img per volume and manifest.json. A version is written as
// "<name>.partial" and renamed to its name once complete, so a folder with a version's name is
// always complete.
#include "imagetool/VersionManifest.h"

#include <QDateTime>
#include <QList>
#include <QString>

class TFileSystem;

struct TStoredVersion
{
    QString Name;
    QString Folder;
    TVersionManifest Manifest;
};

class TBackupStore
{
public:
    static constexpr const char* kRootFolderName = "ZorvanImageBackup";
    static constexpr const char* kManifestName = "manifest.json";
    static constexpr const char* kPartialSuffix = ".partial";
    // An unfinished version folder untouched for this long is left over from a crash.
    static constexpr qint64 kStalePartialSeconds = 24 * 3600;

    // The store on `fileSystem` (the local one when null), which must outlive it.
    TBackupStore(const QString& target, const QString& host, TFileSystem* fileSystem = nullptr);

    QString Target() const { return target; }
    QString HostFolder() const;
    // Complete versions, oldest first.
    QList<TStoredVersion> Versions() const;
    bool FindVersion(const QString& name, TStoredVersion& version) const;

    // Creates "<name>.partial" for a version made at `when` (local time; a later second when the
    // name is taken). Returns 0 or errno.
    int CreatePartialVersion(const QDateTime& when, QString& name, QString& partialFolder);
    // Writes the manifest and gives the partial folder its version name. Returns 0 or errno.
    int CompleteVersion(const QString& partialFolder, const QString& name, const TVersionManifest& manifest);
    // Unfinished version folders whose newest file is older than kStalePartialSeconds.
    QStringList StalePartialFolders(const QDateTime& now) const;
    // Removes a folder with everything in it; true when it is gone.
    bool RemoveFolder(const QString& folder) const;
    TFileSystem& FileSystem() const { return *fileSystem; }
    static bool IsVersionName(const QString& name);

private:
    QString target;
    QString host;
    TFileSystem* fileSystem;
};
