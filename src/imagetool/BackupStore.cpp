#include "imagetool/BackupStore.h"

#include "imagetool/DurableFile.h"
#include "imagetool/SystemVolumes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {
const QString kNameFormat = QStringLiteral("yyyy-MM-dd hh;mm;ss");
}

TBackupStore::TBackupStore(const QString& target, const QString& host)
    : target(target), host(SystemVolumes::SafeFileName(host))
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
    QFile file(version.Folder + '/' + QLatin1String(kManifestName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return TVersionManifest::FromJson(file.readAll(), version.Manifest);
}

QList<TStoredVersion> TBackupStore::Versions() const
{
    QList<TStoredVersion> versions;
    const QDir folder(HostFolder());
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        TStoredVersion version;
        if (FindVersion(name, version))
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
    const QString root = target + '/' + QLatin1String(kRootFolderName);
    if (int error = DurableFile::MakeFolder(root))
        return error;
    if (int error = DurableFile::MakeFolder(HostFolder()))
        return error;
    QDateTime moment = when;
    for (;;) {
        name = moment.toString(kNameFormat);
        const QString finalFolder = HostFolder() + '/' + name;
        partialFolder = finalFolder + QLatin1String(kPartialSuffix);
        if (!QFileInfo::exists(finalFolder) && !QFileInfo::exists(partialFolder)) {
            const QByteArray path = QFile::encodeName(partialFolder);
            if (::mkdir(path.constData(), 0755) == 0)
                return 0;
            if (errno != EEXIST)
                return errno;
        }
        moment = moment.addSecs(1);
    }
}

int TBackupStore::CompleteVersion(const QString& partialFolder, const QString& name,
                                  const TVersionManifest& manifest)
{
    if (int error =
            DurableFile::Write(partialFolder + '/' + QLatin1String(kManifestName), manifest.ToJson(), 0644))
        return error;
    if (int error = DurableFile::SyncFolder(partialFolder))
        return error;
    const QByteArray from = QFile::encodeName(partialFolder);
    const QByteArray to = QFile::encodeName(HostFolder() + '/' + name);
    if (::rename(from.constData(), to.constData()) != 0)
        return errno;
    // The version is complete from here on; a failed sync only weakens its durability.
    DurableFile::SyncFolder(HostFolder());
    return 0;
}

QStringList TBackupStore::StalePartialFolders(const QDateTime& now) const
{
    QStringList stale;
    const QDir folder(HostFolder());
    for (const QString& entry :
         folder.entryList({QStringLiteral("*.partial")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString path = folder.filePath(entry);
        QDateTime newest = QFileInfo(path).lastModified();
        QDirIterator files(path, QDir::Files | QDir::Hidden);
        while (files.hasNext()) {
            files.next();
            newest = std::max(newest, files.fileInfo().lastModified());
        }
        if (newest.secsTo(now) >= kStalePartialSeconds)
            stale.append(path);
    }
    return stale;
}

bool TBackupStore::RemoveFolder(const QString& folder)
{
    return QDir(folder).removeRecursively();
}
