#include "imagetool/VersionsCommand.h"

#include "imagetool/BackupStore.h"
#include "imagetool/TargetFileSystem.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"

#include <QFileInfo>
#include <QLocale>

TVersionsCommand::TVersionsCommand(const TImageToolCommand& command, TToolConsole& console,
                                   const QString& host)
    : command(command), console(console), host(host)
{
}

int TVersionsCommand::Run()
{
    TTargetFileSystem targetFileSystem;
    if (!targetFileSystem.OpenBackupTarget(command, console))
        return ecFailed;
    const QString target = targetFileSystem.Path();
    const QList<TStoredVersion> versions =
        TBackupStore(target, command.Machine.isEmpty() ? host : command.Machine,
                     &targetFileSystem.FileSystem())
            .Versions();
    if (versions.isEmpty()) {
        console.Line(QStringLiteral("There are no backup versions of this computer on %1.").arg(target));
        return ecSuccess;
    }
    const QLocale locale = QLocale::c();
    for (const TStoredVersion& version : versions) {
        console.Line(
            QStringLiteral("Backup time: %1")
                .arg(version.Manifest.Created.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
        console.Line(QStringLiteral("Backup target: %1").arg(target));
        console.Line(QStringLiteral("Version identifier: %1").arg(version.Name));
        QStringList volumes;
        for (const TManifestImage& image : version.Manifest.Images)
            volumes.append(
                QStringLiteral("%1 (%2)").arg(image.Item, locale.formattedDataSize(qint64(image.Size))));
        console.Line(QStringLiteral("Volumes: %1").arg(volumes.join(QStringLiteral(", "))));
        console.Line(QString());
    }
    return ecSuccess;
}
