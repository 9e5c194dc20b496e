#include "imagetool/VersionsCommand.h"

#include "imagetool/BackupStore.h"
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
    const QString target = command.BackupTarget;
    if (IsNetworkTarget(target)) {
        console.Error(ToolTexts::NetworkTargetNotSupported(target));
        return ecFailed;
    }
    if (!QFileInfo(target).isDir()) {
        console.Error(
            QStringLiteral("The backup storage location %1 does not exist or is not a folder.").arg(target));
        return ecFailed;
    }
    const QList<TStoredVersion> versions = TBackupStore(target, host).Versions();
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
