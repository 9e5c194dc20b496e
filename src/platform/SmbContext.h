#pragma once
// One libsmbclient context with its credentials. A context is not thread-safe: the thread that
// creates it is the only one that uses it. Files opened through it keep it alive.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

struct _SMBCCTX;

class TSmbContext
{
public:
    // A blank user name uses the current user's credentials (Kerberos ticket or anonymous) and
    // ignores the password. "DOMAIN\user" names a domain. Returns null with errno in `error`.
    // `timeoutMs` bounds each exchange with the server.
    static std::shared_ptr<TSmbContext> create(const QString& user, const QString& password, int& error,
                                               int timeoutMs = kDefaultTimeoutMs);
    static constexpr int kDefaultTimeoutMs = 15000;
    // The credentials it was created with.
    const QString& user() const { return ownUser; }
    const QString& password() const { return ownPassword; }
    ~TSmbContext();
    TSmbContext(const TSmbContext&) = delete;
    TSmbContext& operator=(const TSmbContext&) = delete;

    _SMBCCTX* handle() const { return context; }
    // Files open through this context right now.
    int openFiles() const { return openFileCount.load(); }
    void fileOpened() { ++openFileCount; }
    // Wakes waitUntilNoOpenFiles.
    void fileClosed();
    // Waits until no file is open through this context or `timeout` has passed; true when none is.
    bool waitUntilNoOpenFiles(std::chrono::milliseconds timeout) const;

private:
    TSmbContext() = default;
    static void authenticate(_SMBCCTX* context, const char* server, const char* share, char* workgroup,
                             int workgroupLength, char* user, int userLength, char* password,
                             int passwordLength);

    _SMBCCTX* context = nullptr;
    QString ownUser;
    QString ownPassword;
    bool explicitUser = false;
    QByteArray workgroupName;
    QByteArray userName;
    QByteArray passwordText;
    std::atomic<int> openFileCount{0};
    mutable std::mutex openFilesMutex;
    mutable std::condition_variable fileClosedSignal;
};

// libsmbclient keeps process-wide state (its talloc stack frames) that two threads must not use at the
// same time, even with a context each: every call into the library holds this lock.
std::recursive_mutex& SmbLibraryMutex();
