#pragma once
// A real Samba server for tests: smbd on 127.0.0.1 on a free high port, with a private configuration,
// passdb, state, lock and pid folders and a test user under the build's test-work folder. It needs
// root (smbd switches users); available() tells whether this process can run it.
//
//   SmbServer server;
//   ASSERT_TRUE(server.start()) << server.errorText();
//   job.DestinationPath = server.shareUrl() + "/backups";  // "//127.0.0.1:PORT/share/backups"
//   job.Destination_NetworkUsername = server.user();
//   job.Destination_NetworkPassword = server.password();
//   ... server.shareFolder() is the local folder behind the share ...
//   server.stop();   // also done by the destructor; start() again reuses the same port
#include <QString>

#include <memory>

class QProcess;

class SmbServer
{
public:
    // The server's files go into a new folder below `parentFolder` (default: the build's test-work folder).
    explicit SmbServer(const QString& parentFolder = QStringLiteral(ZORVAN_TEST_WORK_DIR));
    ~SmbServer();
    SmbServer(const SmbServer&) = delete;
    SmbServer& operator=(const SmbServer&) = delete;

    // True when smbd is installed and this process runs as root.
    static bool available();

    // Also runs Samba's RPC services (samba-dcerpcd), without which a client cannot list the server's
    // shares. Call before start().
    void enableShareListing() { shareListing = true; }

    // Starts smbd and waits until it accepts connections; false with errorText() on failure.
    bool start();
    // Ends smbd and every process it forked (the sessions too): connections break at once.
    void stop();
    bool isRunning() const;
    QString errorText() const { return error; }

    int port() const { return serverPort; }
    // "//127.0.0.1:PORT/share": read-write for user() only.
    QString shareUrl() const { return url(QStringLiteral("share")); }
    // "//127.0.0.1:PORT/readonly": user() may read but never write.
    QString readOnlyShareUrl() const { return url(QStringLiteral("readonly")); }
    // "//127.0.0.1:PORT/public": read-write for anonymous (guest) sessions.
    QString guestShareUrl() const { return url(QStringLiteral("public")); }
    // "//127.0.0.1:PORT/denied": no access for user().
    QString deniedShareUrl() const { return url(QStringLiteral("denied")); }
    QString url(const QString& share) const;

    // The local folders behind the shares.
    QString shareFolder() const { return base + QStringLiteral("/share"); }
    QString readOnlyFolder() const { return base + QStringLiteral("/readonly"); }
    QString guestFolder() const { return base + QStringLiteral("/public"); }

    QString user() const;
    QString password() const { return QStringLiteral("Zorvan-Test-7"); }

private:
    bool prepare();
    bool writeConfig();
    bool launch();
    bool waitUntilListening(int timeoutMs) const;
    bool launchRpcServices();
    static void endGroup(QProcess& process);

    QString parent;
    QString base;
    QString error;
    int serverPort = 0;
    bool prepared = false;
    bool startedOnce = false;
    bool shareListing = false;
    std::unique_ptr<QProcess> process;
    std::unique_ptr<QProcess> rpcProcess;
};
