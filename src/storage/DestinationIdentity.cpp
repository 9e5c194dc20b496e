#include "storage/DestinationIdentity.h"

#include "base/Placeholders.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob.h"
#include "logs/RunLog.h"
#include "platform/AskingUser.h"
#include "platform/FileSystemIdentity.h"
#include "platform/FileSystemLocal.h"
#include "platform/SmbPath.h"
#include "platform/StandardFolders.h"

#include <QFileInfo>
#include <QSettings>

#include <optional>

namespace {
const QString kDestination = QStringLiteral("Destination");
const QString kUuid = QStringLiteral("Uuid");
const QString kDevice = QStringLiteral("Device");
const QString kType = QStringLiteral("FileSystemType");
const QString kSource = QStringLiteral("Source");
const QString kMountPoint = QStringLiteral("MountPoint");
const QString kFileSystemId = QStringLiteral("FileSystemId");

// One group per job, named like the job with its letters folded, as job names are compared.
QString groupOf(const QString& jobName)
{
    return FoldJobName(jobName);
}

bool isLocalDestination(const TJob& job)
{
    return !job.DestinationPath.isEmpty() && !IsSmbPath(job.DestinationPath);
}

// What the last run that was not cancelled found, when it was made to the job's present destination.
std::optional<TFileSystemIdentity> rememberedFor(const TJob& job)
{
    QSettings settings(DestinationIdentityFilePath(), QSettings::IniFormat);
    settings.beginGroup(groupOf(job.stJobName));
    if (settings.value(kDestination).toString() != job.DestinationPath)
        return std::nullopt;
    TFileSystemIdentity identity;
    identity.Uuid = settings.value(kUuid).toString();
    identity.Device = settings.value(kDevice).toString();
    identity.FileSystemType = settings.value(kType).toString();
    identity.Source = settings.value(kSource).toString();
    identity.MountPoint = settings.value(kMountPoint).toString();
    identity.FileSystemId = settings.value(kFileSystemId).toString();
    if (identity.isNull())
        return std::nullopt;
    return identity;
}

// The remote job file beside the storage folder, or anything in the storage folder: an empty folder
// is what an unmounted drive mounted below the destination would leave.
bool holdsBackups(const QString& storageFolder)
{
    TFileSystem& local = TLocalFileSystem::instance();
    if (local.exists(storageFolder + QStringLiteral(".kxj")))
        return true;
    QList<TDirEntry> entries;
    return local.list(storageFolder, entries) == 0 && !entries.isEmpty();
}

QString describe(const TJob& job, const TFileSystemIdentity& fileSystem)
{
    const QString name = fileSystem.Uuid.isEmpty()
                             ? job.Translate(QStringLiteral("device")) + ' ' + fileSystem.Device
                             : QStringLiteral("UUID ") + fileSystem.Uuid;
    return FillPlaceholders(job.Translate(QStringLiteral("%s (%s, %s, mounted at %s)")),
                            {fileSystem.Source, fileSystem.FileSystemType, name, fileSystem.MountPoint});
}

// The settings file, with its folder made: an elevated instance gives both to the user it works for.
QString settingsFileForWriting()
{
    MakePathForAskingUser(QFileInfo(DestinationIdentityFilePath()).path());
    return DestinationIdentityFilePath();
}

// Writes the settings out; the file, replaced as a whole, goes to that user again.
void saveForAskingUser(QSettings& settings)
{
    settings.sync();
    GiveToAskingUser(settings.fileName());
}
} // namespace

QString DestinationIdentityFilePath()
{
    return StandardFolders::configFolder() + QStringLiteral("/" ZORVAN_APP_TITLE "/destinations.ini");
}

QString CheckDestinationIdentity(TJob& job, const QString& storageFolder, bool acceptNew)
{
    if (!isLocalDestination(job))
        return {};
    const std::optional<TFileSystemIdentity> expected = rememberedFor(job);
    if (!expected)
        return {};
    int error = 0;
    const TFileSystemIdentity found = FileSystemIdentityOf(job.DestinationPath, error);
    if (found.isNull() || found.sameAs(*expected))
        return {};
    const QStringList names{describe(job, found), describe(job, *expected)};
    if (holdsBackups(storageFolder)) {
        LogLine(job, FillPlaceholders(job.Translate(QStringLiteral("The backups of this job are now on %s "
                                                                   "(before: %s).")),
                                      names));
        return {};
    }
    if (acceptNew) {
        LogLine(job, FillPlaceholders(job.Translate(QStringLiteral("The new drive is accepted as the "
                                                                   "destination: %s (before: %s).")),
                                      names));
        return {};
    }
    const QString text = FillPlaceholders(
        job.Translate(QStringLiteral("The destination %s is not on the drive of the earlier backups. "
                                     "Expected: %s. Found: %s, which holds no backup of this job. Connect "
                                     "the drive and run the job again, or accept the new drive on purpose.")),
        {job.DestinationPath, names.at(1), names.at(0)});
    LogError(job, text);
    return job.Translate(QStringLiteral("ERROR:")) + ' ' + text;
}

void RememberDestinationIdentity(TJob& job)
{
    if (!isLocalDestination(job))
        return;
    int error = 0;
    const TFileSystemIdentity identity = FileSystemIdentityOf(job.DestinationPath, error);
    if (identity.isNull())
        return;
    QSettings settings(settingsFileForWriting(), QSettings::IniFormat);
    settings.beginGroup(groupOf(job.stJobName));
    settings.setValue(kDestination, job.DestinationPath);
    settings.setValue(kUuid, identity.Uuid);
    settings.setValue(kDevice, identity.Device);
    settings.setValue(kType, identity.FileSystemType);
    settings.setValue(kSource, identity.Source);
    settings.setValue(kMountPoint, identity.MountPoint);
    settings.setValue(kFileSystemId, identity.FileSystemId);
    settings.endGroup();
    saveForAskingUser(settings);
    if (settings.status() != QSettings::NoError)
        AddEvent(job.Translate(QStringLiteral("Unable to save the settings. Please check the possibility to "
                                              "write to the file:")) +
                 ' ' + DestinationIdentityFilePath());
}

void ForgetDestinationIdentity(const QString& jobName)
{
    QSettings settings(settingsFileForWriting(), QSettings::IniFormat);
    settings.remove(groupOf(jobName));
    saveForAskingUser(settings);
}

void MoveDestinationIdentity(const QString& oldName, const QString& newName)
{
    QSettings settings(settingsFileForWriting(), QSettings::IniFormat);
    settings.beginGroup(groupOf(oldName));
    QList<std::pair<QString, QVariant>> values;
    for (const QString& key : settings.childKeys())
        values.append({key, settings.value(key)});
    settings.endGroup();
    settings.remove(groupOf(oldName));
    settings.remove(groupOf(newName));
    settings.beginGroup(groupOf(newName));
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
    settings.endGroup();
    saveForAskingUser(settings);
}
