#include "imagetool/TargetFileSystem.h"

#include "imagetool/ImageToolCommand.h"
#include "imagetool/ToolConsole.h"
#include "platform/FileSystemLocal.h"
#include "platform/SmbPath.h"
#include "storage/uNetworkFuncs.h"

TTargetFileSystem::TTargetFileSystem() = default;

TTargetFileSystem::~TTargetFileSystem()
{
    if (connection)
        connection->Disconnect(true);
}

bool TTargetFileSystem::Open(const QString& target, const QString& user, const QString& password,
                             QString& error)
{
    path = target;
    if (!IsNetworkTarget(target))
        return true;
    path = NormaliseSmbPath(target);
    connection = std::make_unique<TNetworkPathConnection>();
    if (connection->Connect(path, user, password) && connection->fileSystem())
        return true;
    error = connection->LastError();
    connection.reset();
    return false;
}

TFileSystem& TTargetFileSystem::FileSystem() const
{
    if (connection)
        return *connection->fileSystem();
    return TLocalFileSystem::instance();
}

bool TTargetFileSystem::IsFolder() const
{
    return FileSystem().folderExists(path);
}

bool TTargetFileSystem::OpenBackupTarget(const TImageToolCommand& command, TToolConsole& console)
{
    QString error;
    if (!Open(command.BackupTarget, command.User, command.Password, error)) {
        console.Error(QStringLiteral("The backup storage location %1 cannot be reached: %2")
                          .arg(command.BackupTarget, error));
        return false;
    }
    if (!IsFolder()) {
        console.Error(
            QStringLiteral("The backup storage location %1 does not exist or is not a folder.").arg(path));
        return false;
    }
    return true;
}
