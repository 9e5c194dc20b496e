#pragma once
// The file system of a backup target: the local one, or an SMB share (//server/share/...,
// \\server\share\... or smb://server/share/...) reached through the program's storage layer with the
// command's user name and password. Use it on one thread only, like the session it may hold.
#include <QString>

#include <memory>

class TFileSystem;
class TNetworkPathConnection;
class TToolConsole;
struct TImageToolCommand;

class TTargetFileSystem
{
public:
    TTargetFileSystem();
    ~TTargetFileSystem();
    TTargetFileSystem(const TTargetFileSystem&) = delete;
    TTargetFileSystem& operator=(const TTargetFileSystem&) = delete;

    // Connects to a network target (a blank user: the current user's credentials or a guest session);
    // a local target needs nothing. False with `error` set when the share cannot be reached.
    bool Open(const QString& target, const QString& user, const QString& password, QString& error);
    TFileSystem& FileSystem() const;
    bool IsLocal() const { return !connection; }
    // The target as the file system takes it (a network path in the //server/share/... form).
    QString Path() const { return path; }
    // True when the target is an existing folder.
    bool IsFolder() const;
    // Opens the command's -backupTarget: with its user name and password and checks that it is a
    // folder. False, with the reason written to `console` as an error, when it is not usable.
    bool OpenBackupTarget(const TImageToolCommand& command, TToolConsole& console);

private:
    std::unique_ptr<TNetworkPathConnection> connection;
    QString path;
};
