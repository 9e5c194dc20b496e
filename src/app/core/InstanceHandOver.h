#pragma once
// The hand-over between a second start of the program and the running instance of the same user: a
// local socket in the runtime folder. The second process sends one line, "show" (bring the window up)
// or "import <path>" (import that job file), and waits until the running instance has handled it and
// answers "ok".
#include "app/core/CommandLine.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

struct THandOverRequest
{
    enum TKind
    {
        hoShow,
        hoImport
    };
    TKind Kind = hoShow;
    QString Path; // the job file of hoImport

    bool operator==(const THandOverRequest&) const = default;
};

// What a second start asks of the running instance: the import of a first parameter with the extension
// ".kxj", otherwise (no parameter, "/hide", anything else) showing the window.
THandOverRequest HandOverRequestFor(const TCommandLine& commandLine);

// One line of the protocol, with its line break; and back (nullopt for anything else).
QByteArray EncodeHandOverRequest(const THandOverRequest& request);
std::optional<THandOverRequest> DecodeHandOverRequest(const QByteArray& line);

// The socket's full path, per user, in the runtime folder beside the instance lock.
QString HandOverServerName();

enum THandOverResult
{
    hrAcknowledged = 0, // the running instance has handled the request
    hrNoInstance = 1,   // nobody listens
    hrNoAnswer = 2      // the connection broke before the answer
};

// Sends `request` and waits for the acknowledgement as long as the connection stays open (the running
// instance may show a dialog first). A missing server is tried again for `connectMsecs`.
THandOverResult SendHandOver(const THandOverRequest& request, int connectMsecs = 1000);

// The running instance's side. Each request is passed to Handler on the main thread; the answer goes
// back once Handler has returned.
class THandOverServer : public QObject
{
    Q_OBJECT
public:
    explicit THandOverServer(QObject* parent = nullptr);
    ~THandOverServer() override;
    Q_DISABLE_COPY_MOVE(THandOverServer)

    // Listens on HandOverServerName(). Call it only while holding the instance lock: a socket file left
    // by an instance that died is removed first.
    bool listen();
    bool isListening() const;
    void close();

    std::function<void(const THandOverRequest&)> Handler;

private:
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    std::unique_ptr<QLocalServer> server;
};
