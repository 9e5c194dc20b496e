#include "storage/StorageAccess.h"

#include "platform/FileSystemLocal.h"
#include "platform/SmbContext.h"
#include "platform/SmbFileSystem.h"
#include "platform/SmbPath.h"
#include "storage/StorageError.h"
#include "storage/uNetworkFuncs.h"

TStorageAccess::TStorageAccess(const TNetworkPathConnection* connection) : connection(connection) {}

TStorageAccess::~TStorageAccess() = default;

TFileSystem* TStorageAccess::fileSystemFor(const QString& path, int& error)
{
    error = 0;
    if (!IsSmbPath(path))
        return &TLocalFileSystem::instance();
    if (connection && connection->fileSystem())
        return connection->fileSystem();
    if (!anonymous) {
        auto context = TSmbContext::create(QString(), QString(), error);
        if (!context)
            return nullptr;
        anonymous = std::make_unique<TSmbFileSystem>(std::move(context));
    }
    return anonymous.get();
}

TFileSystem& TStorageAccess::fileSystemFor(const QString& path)
{
    int error = 0;
    TFileSystem* fileSystem = fileSystemFor(path, error);
    if (!fileSystem)
        throw TStorageError(SystemErrorText(error));
    return *fileSystem;
}
