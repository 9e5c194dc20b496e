#include "driveimage/ImageToolCommandLine.h"

#include "jobs/uJob_DriveImage.h"
#include "platform/StandardFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

namespace {

const QString kToolName = QStringLiteral("zorvan-imagetool");

QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// The nearest existing folder of `path` (the path itself when it exists), with its links resolved.
QString existingCanonicalPath(const QString& path)
{
    QString current =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    for (;;) {
        const QString canonical = QFileInfo(current).canonicalFilePath();
        if (!canonical.isEmpty())
            return canonical;
        const QString parent = QFileInfo(current).path();
        if (parent == current)
            return current;
        current = parent;
    }
}

QString quoted(const QString& text)
{
    return '"' + text + '"';
}

bool hasNetworkUser(const TJob_DriveImage& job)
{
    return job.DestinationType == dtNetwork && !job.Destination_NetworkUsername.isEmpty();
}

} // namespace

namespace ImageToolCommandLine {

QStringList ToolVariants()
{
    QStringList variants{kToolName};
    const QString folder = StandardFolders::programFolder();
    if (!folder.isEmpty())
        variants.append(folder + '/' + kToolName);
    return variants;
}

QString ToolExecutable(const QString& variant)
{
    if (!variant.contains('/'))
        return QStandardPaths::findExecutable(variant);
    const QFileInfo info(variant);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

QString DrivePartOf(const QString& path)
{
    return QStorageInfo(existingCanonicalPath(path)).rootPath();
}

QString VolumeOf(const QString& sourceEntry)
{
    return withoutTrailingSlashes(sourceEntry.trimmed());
}

QString IncludeList(const QStringList& sourceDrives)
{
    QStringList volumes;
    for (const QString& entry : sourceDrives)
        volumes.append(VolumeOf(entry));
    return volumes.join(',');
}

QString BackupTargetOf(const TJob_DriveImage& job)
{
    return job.DestinationType == dtNetwork ? job.DestinationPath : DrivePartOf(job.DestinationPath);
}

QStringList StorageArguments(const TJob_DriveImage& job)
{
    if (job.DestinationType != dtNetwork)
        return {QStringLiteral("-backupTarget:") + BackupTargetOf(job)};
    QStringList arguments{QStringLiteral("-backupTarget:") + quoted(job.DestinationPath)};
    if (hasNetworkUser(job))
        arguments.append(QStringLiteral("-user:") + job.Destination_NetworkUsername);
    return arguments;
}

QStringList BackupArguments(const TJob_DriveImage& job)
{
    const QString include = QStringLiteral("-include:") + IncludeList(job.Settings.SourceDrivesList);
    return StorageArguments(job) +
           QStringList{include, QStringLiteral("-allCritical"), QStringLiteral("-quiet")};
}

QStringList DeleteArguments(const TJob_DriveImage& job, const QString& keepVersions)
{
    QStringList arguments;
    if (hasNetworkUser(job))
        arguments << QStringLiteral("-backupTarget:") + quoted(job.DestinationPath)
                  << QStringLiteral("-user:") + job.Destination_NetworkUsername;
    else if (job.DestinationType == dtNetwork)
        arguments << QStringLiteral("-backuptarget:") + quoted(job.DestinationPath);
    else
        arguments << QStringLiteral("-backuptarget:") + DrivePartOf(job.DestinationPath);
    arguments << QStringLiteral("-keepversions:") + keepVersions << QStringLiteral("-quiet");
    return arguments;
}

QStringList StopArguments()
{
    return {QStringLiteral("-quiet")};
}

QHash<QString, QString> ToolEnvironment(const TJob_DriveImage& job)
{
    QHash<QString, QString> variables;
    if (hasNetworkUser(job))
        variables.insert(QString::fromLatin1(kPasswordVariable), job.Destination_NetworkPassword);
    return variables;
}

QStringList WithCommand(const char* first, const char* second, const QStringList& arguments)
{
    return QStringList{QString::fromLatin1(first), QString::fromLatin1(second)} + arguments;
}

} // namespace ImageToolCommandLine
