#include "imagetool/DeleteCommand.h"

#include "imagetool/BackupStore.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
const QString kDeletingSuffix = QStringLiteral(".deleting");
}

TDeleteCommand::TDeleteCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host)
    : command(command), console(console), host(host)
{
}

int TDeleteCommand::Run()
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
    const TBackupStore store(target, host);
    const QList<TStoredVersion> versions = store.Versions();
    const qsizetype surplus = versions.size() - command.KeepVersions;
    QStringList leftovers = store.StalePartialFolders(QDateTime::currentDateTime());
    // Folders of an earlier deletion that did not finish.
    const QDir hostFolder(store.HostFolder());
    for (const QString& name :
         hostFolder.entryList({'*' + kDeletingSuffix}, QDir::Dirs | QDir::NoDotAndDotDot))
        leftovers.append(hostFolder.filePath(name));

    if (surplus <= 0 && leftovers.isEmpty()) {
        console.Line(QStringLiteral("There are no backup versions to delete; %1 version(s) are kept.")
                         .arg(versions.size()));
        return ecSuccess;
    }
    if (surplus > 0 && !command.Quiet &&
        !console.Confirm(
            QStringLiteral("Do you want to delete the %1 oldest backup version(s)?").arg(surplus))) {
        console.Line(QStringLiteral("No backup versions were deleted."));
        return ecStopped;
    }

    int failures = 0;
    for (qsizetype i = 0; i < surplus; ++i) {
        const TStoredVersion& version = versions[i];
        console.Line(QStringLiteral("Deleting the backup version %1.").arg(version.Name));
        // Renamed first, so that a deletion cut short never leaves something that looks complete.
        const QString doomed = version.Folder + kDeletingSuffix;
        if (std::rename(QFile::encodeName(version.Folder).constData(),
                        QFile::encodeName(doomed).constData()) != 0 ||
            !TBackupStore::RemoveFolder(doomed)) {
            console.Error(QStringLiteral("The backup version %1 could not be deleted.").arg(version.Name));
            ++failures;
        }
    }
    for (const QString& folder : leftovers) {
        console.Line(QStringLiteral("Removing the unfinished backup %1.").arg(QFileInfo(folder).fileName()));
        if (!TBackupStore::RemoveFolder(folder)) {
            console.Error(QStringLiteral("The unfinished backup %1 could not be removed.").arg(folder));
            ++failures;
        }
    }
    if (failures > 0)
        return ecFailed;
    console.Line(
        QStringLiteral("The deletion of the backup versions completed successfully; %1 version(s) are kept.")
            .arg(std::min<qsizetype>(versions.size(), command.KeepVersions)));
    return ecSuccess;
}
