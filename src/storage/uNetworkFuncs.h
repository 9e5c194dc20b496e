#pragma once
// One network connection of a job: an SMB session on a share with the job's user name and password.
#include <QString>

#include <atomic>
#include <memory>

class TFileSystem;
class TSmbContext;
class TSmbFileSystem;

class TNetworkPathConnection
{
public:
    TNetworkPathConnection();
    // Disconnects (forced) when still connected.
    ~TNetworkPathConnection();
    TNetworkPathConnection(const TNetworkPathConnection&) = delete;
    TNetworkPathConnection& operator=(const TNetworkPathConnection&) = delete;

    // Opens a session on the share of `aNetworkPath`. A blank user name uses the current user's
    // credentials (or an anonymous session) and no password. False with LastError() set on failure.
    bool Connect(const QString& aNetworkPath, const QString& aUsername, const QString& aPassword);
    // Ends the session. Unless forced it first waits for the files still open through it, until the
    // last one closes or for at most as long as 100 checks BusyRetryDelayMs apart (99 such delays);
    // the object is disconnected afterwards in any case, and a session with open files ends when its
    // last file closes.
    void Disconnect(bool aForce);

    bool Connected() const { return FConnected; }
    bool Owned() const { return FOwned; }
    bool Failed() const { return FFailed; }
    const QString& LastError() const { return FLastError; }
    const QString& RemotePath() const { return FRemotePath; }
    const QString& User() const { return FUser; }
    const QString& URI() const { return FURI; }
    // The session's file system; null unless connected to a share.
    TFileSystem* fileSystem() const;

    // The longest network path the connection takes, in UTF-16 units.
    static constexpr qsizetype kMaxPathLength = 4096;
    // The unit of a disconnect's longest wait for open files (tests shorten it).
    static std::atomic<int> BusyRetryDelayMs;

private:
    void ClearError();
    void SetError(const QString& text);
    void failConnect(int code, const QString& message);

    QString FRemotePath;
    QString FUser;
    QString FPassword;
    bool FConnected = false;
    bool FOwned = false;
    QString FLastError;
    bool FFailed = false;
    QString FURI;
    std::shared_ptr<TSmbContext> FContext;
    std::unique_ptr<TSmbFileSystem> FFileSystem;
};

// The connection error code (the numbering of the connection error table) for an errno value of a
// failed session set-up; 0 when none fits.
int NetworkErrorCodeFromErrno(int error);
// The prefix of a connection error code ("Access denied:" ...); empty for codes outside the table.
QString NetworkErrorPrefix(int code);
