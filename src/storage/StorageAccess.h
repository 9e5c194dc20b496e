#pragma once
// Picks the file-system backend for a storage path by its form: local paths go to the local file
// system, network paths through the job's SMB session (or an anonymous session made on first use).
// Use an instance on one thread only, like the session it may hold.
#include <QString>

#include <memory>

class TFileSystem;
class TNetworkPathConnection;
class TSmbFileSystem;

class TStorageAccess
{
public:
    explicit TStorageAccess(const TNetworkPathConnection* connection = nullptr);
    ~TStorageAccess();
    TStorageAccess(const TStorageAccess&) = delete;
    TStorageAccess& operator=(const TStorageAccess&) = delete;

    // Null with errno in `error` only when no SMB session can be set up.
    TFileSystem* fileSystemFor(const QString& path, int& error);
    // Raises TStorageError with the system error text instead.
    TFileSystem& fileSystemFor(const QString& path);

private:
    const TNetworkPathConnection* connection;
    std::unique_ptr<TSmbFileSystem> anonymous;
};
