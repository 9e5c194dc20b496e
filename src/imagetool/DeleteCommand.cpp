#include "imagetool/DeleteCommand.h"

#include "imagetool/BackupStore.h"
#include "imagetool/TargetFileSystem.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"

#include "platform/FileSystem.h"

#include <QDateTime>
#include <QFileInfo>

namespace {
const QString kDeletingSuffix = QStringLiteral(".deleting");
}

TDeleteCommand::TDeleteCommand(const TImageToolCommand& command, TToolConsole& console, const QString& host)
    : command(command), console(console), host(host)
{
}

int TDeleteCommand::Run()
{
    TTargetFileSystem targetFileSystem;
    if (!targetFileSystem.OpenBackupTarget(command, console))
        return ecFailed;
    const QString target = targetFileSystem.Path();
    const TBackupStore store(target, host, &targetFileSystem.FileSystem());
    TFileSystem& fileSystem = targetFileSystem.FileSystem();
    const QList<TStoredVersion> versions = store.Versions();
    const qsizetype surplus = versions.size() - command.KeepVersions;
    QStringList leftovers = store.StalePartialFolders(QDateTime::currentDateTime());
    // Folders of an earlier deletion that did not finish.
    QList<TDirEntry> entries;
    fileSystem.list(store.HostFolder(), entries);
    for (const TDirEntry& entry : std::as_const(entries))
        if (entry.stat.isFolder && entry.name.endsWith(kDeletingSuffix))
            leftovers.append(store.HostFolder() + '/' + entry.name);

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
        if (fileSystem.rename(version.Folder, doomed, false) != 0 || !store.RemoveFolder(doomed)) {
            console.Error(QStringLiteral("The backup version %1 could not be deleted.").arg(version.Name));
            ++failures;
        }
    }
    for (const QString& folder : leftovers) {
        console.Line(QStringLiteral("Removing the unfinished backup %1.").arg(QFileInfo(folder).fileName()));
        if (!store.RemoveFolder(folder)) {
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
