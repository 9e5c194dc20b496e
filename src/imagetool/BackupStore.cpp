#include "imagetool/BackupStore.h"

#include "imagetool/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemLocal.h"
#include "platform/SystemVolumes.h"
#include "platform/uForceDeleteShell.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace {
const QString kNameFormat = QStringLiteral("yyyy-MM-dd hh;mm;ss");
// A manifest is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxManifestSize = 16 << 20;

QDateTime lastWriteOf(const TFileStat& stat)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(stat.lastWrite.tv_sec) * 1000 +
                                          stat.lastWrite.tv_nsec / 1000000);
}

// 0 or errno.
int readSmallFile(TFileSystem& fileSystem, const QString& path, QByteArray& content)
{
    std::unique_ptr<TFileHandle> file;
    if (const int error = fileSystem.openRead(path, file, TOpenOptions()))
        return error;
    content.clear();
    char buffer[65536];
    for (;;) {
        const qint64 n = file->read(buffer, sizeof buffer);
        if (n < 0)
            return int(-n);
        if (n == 0)
            return 0;
        content.append(buffer, n);
        if (content.size() > kMaxManifestSize)
            return EFBIG;
    }
}

// Writes `content` to a temporary file beside `path` and renames it over `path`. 0 or errno.
int writeReplacing(TFileSystem& fileSystem, const QString& path, const QByteArray& content)
{
    const QString temporary = path + QStringLiteral(".tmp");
    std::unique_ptr<TFileHandle> file;
    TOpenOptions options;
    options.mode = 0644;
    if (const int error = fileSystem.openWrite(temporary, file, options))
        return error;
    qint64 done = 0;
    int error = 0;
    while (done < content.size() && error == 0) {
        const qint64 n = file->write(content.constData() + done, content.size() - done);
        if (n < 0)
            error = int(-n);
        else
            done += n;
    }
    if (const int closing = file->close(); error == 0)
        error = closing;
    if (error == 0)
        error = fileSystem.rename(temporary, path, true);
    if (error != 0)
        fileSystem.removeFile(temporary);
    return error;
}
} // namespace

TBackupStore::TBackupStore(const QString& target, const QString& host, TFileSystem* fileSystem)
    : target(target), host(SystemVolumes::SafeFileName(host)),
      fileSystem(fileSystem ? fileSystem : &TLocalFileSystem::instance())
{
}

QString TBackupStore::HostFolder() const
{
    return target + '/' + QLatin1String(kRootFolderName) + '/' + host;
}

bool TBackupStore::IsVersionName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2};\\d{2};\\d{2}$"));
    return pattern.match(name).hasMatch();
}

bool TBackupStore::FindVersion(const QString& name, TStoredVersion& version) const
{
    if (!IsVersionName(name))
        return false;
    version.Name = name;
    version.Folder = HostFolder() + '/' + name;
    QByteArray manifest;
    if (readSmallFile(*fileSystem, version.Folder + '/' + QLatin1String(kManifestName), manifest) != 0)
        return false;
    return TVersionManifest::FromJson(manifest, version.Manifest);
}

QList<TStoredVersion> TBackupStore::Versions() const
{
    QList<TStoredVersion> versions;
    QList<TDirEntry> entries;
    fileSystem->list(HostFolder(), entries);
    for (const TDirEntry& entry : std::as_const(entries)) {
        TStoredVersion version;
        if (entry.stat.isFolder && FindVersion(entry.name, version))
            versions.append(version);
    }
    // By the moment of creation: names are local times, which repeat when clocks go back.
    std::sort(versions.begin(), versions.end(), [](const TStoredVersion& a, const TStoredVersion& b) {
        if (a.Manifest.Created != b.Manifest.Created)
            return a.Manifest.Created < b.Manifest.Created;
        return a.Name < b.Name;
    });
    return versions;
}

int TBackupStore::CreatePartialVersion(const QDateTime& when, QString& name, QString& partialFolder)
{
    for (const QString& folder : {target + '/' + QLatin1String(kRootFolderName), HostFolder()})
        if (const int error = fileSystem->makeFolder(folder); error != 0 && error != EEXIST)
            return error;
    QDateTime moment = when;
    for (;;) {
        name = moment.toString(kNameFormat);
        const QString finalFolder = HostFolder() + '/' + name;
        partialFolder = finalFolder + QLatin1String(kPartialSuffix);
        if (!fileSystem->exists(finalFolder) && !fileSystem->exists(partialFolder)) {
            const int error = fileSystem->makeFolder(partialFolder);
            if (error == 0)
                return 0;
            if (error != EEXIST)
                return error;
        }
        moment = moment.addSecs(1);
    }
}

int TBackupStore::CompleteVersion(const QString& partialFolder, const QString& name,
                                  const TVersionManifest& manifest)
{
    const QString manifestPath = partialFolder + '/' + QLatin1String(kManifestName);
    // A local version is synced to the disk before it is named complete; a share does its own flushing.
    if (fileSystem->isLocal()) {
        if (int error = DurableFile::Write(manifestPath, manifest.ToJson(), 0644))
            return error;
        if (int error = DurableFile::SyncFolder(partialFolder))
            return error;
    } else if (int error = writeReplacing(*fileSystem, manifestPath, manifest.ToJson())) {
        return error;
    }
    if (int error = fileSystem->rename(partialFolder, HostFolder() + '/' + name, false))
        return error;
    // The version is complete from here on; a failed sync only weakens its durability.
    if (fileSystem->isLocal())
        DurableFile::SyncFolder(HostFolder());
    return 0;
}

QStringList TBackupStore::StalePartialFolders(const QDateTime& now) const
{
    QStringList stale;
    QList<TDirEntry> entries;
    fileSystem->list(HostFolder(), entries);
    for (const TDirEntry& entry : std::as_const(entries)) {
        if (!entry.stat.isFolder || !entry.name.endsWith(QLatin1String(kPartialSuffix)))
            continue;
        const QString path = HostFolder() + '/' + entry.name;
        QDateTime newest = lastWriteOf(entry.stat);
        QList<TDirEntry> files;
        fileSystem->list(path, files);
        for (const TDirEntry& file : std::as_const(files))
            newest = std::max(newest, lastWriteOf(file.stat));
        if (newest.secsTo(now) >= kStalePartialSeconds)
            stale.append(path);
    }
    return stale;
}

bool TBackupStore::RemoveFolder(const QString& folder) const
{
    return ShellDeleteItem(*fileSystem, folder) || !fileSystem->exists(folder);
}
