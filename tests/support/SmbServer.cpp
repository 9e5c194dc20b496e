#include "SmbServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool canConnect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

QString smbdProgram()
{
    QString path = QStandardPaths::findExecutable(QStringLiteral("smbd"));
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(QStringLiteral("smbd"),
                                              {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

QString smbpasswdProgram()
{
    QString path = QStandardPaths::findExecutable(QStringLiteral("smbpasswd"));
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(QStringLiteral("smbpasswd"),
                                              {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin")});
    return path;
}

QString dcerpcdProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("samba-dcerpcd"),
                                          {QStringLiteral("/usr/libexec/samba"),
                                           QStringLiteral("/usr/lib/samba"), QStringLiteral("/usr/sbin")});
}

} // namespace

SmbServer::SmbServer(const QString& parentFolder) : parent(parentFolder) {}

SmbServer::~SmbServer()
{
    stop();
    if (!base.isEmpty())
        QDir(base).removeRecursively();
}

bool SmbServer::available()
{
    return ::geteuid() == 0 && !smbdProgram().isEmpty() && !smbpasswdProgram().isEmpty();
}

QString SmbServer::user() const
{
    const passwd* entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QStringLiteral("root");
}

QString SmbServer::url(const QString& share) const
{
    return QStringLiteral("//127.0.0.1:%1/%2").arg(serverPort).arg(share);
}

bool SmbServer::prepare()
{
    if (prepared)
        return true;
    if (!available()) {
        error = QStringLiteral("smbd needs root and the samba package");
        return false;
    }
    QDir().mkpath(parent);
    QTemporaryDir folder(parent + QStringLiteral("/smbd-XXXXXX"));
    folder.setAutoRemove(false);
    if (!folder.isValid()) {
        error = QStringLiteral("cannot create the server folder");
        return false;
    }
    base = folder.path();
    for (const char* sub : {"private", "lock", "state", "cache", "pid", "ncalrpc", "log", "share", "readonly",
                            "public", "denied"})
        QDir().mkpath(base + '/' + sub);
    // Guests reach the public share as "nobody": the folder must be open to them.
    const auto open = QFileDevice::Permissions(0x7777);
    const auto traversable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                             QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                             QFileDevice::ExeOther;
    QFile::setPermissions(base, traversable);
    QFile::setPermissions(guestFolder(), open);
    serverPort = freePort();
    if (serverPort == 0) {
        error = QStringLiteral("no free port");
        return false;
    }

    if (!writeConfig())
        return false;

    QProcess passwd;
    passwd.start(smbpasswdProgram(), {QStringLiteral("-c"), base + QStringLiteral("/smb.conf"),
                                      QStringLiteral("-a"), QStringLiteral("-s"), user()});
    passwd.write((password() + '\n' + password() + '\n').toUtf8());
    passwd.closeWriteChannel();
    if (!passwd.waitForFinished(30000) || passwd.exitCode() != 0) {
        error = QStringLiteral("smbpasswd failed: ") + QString::fromLocal8Bit(passwd.readAllStandardError());
        return false;
    }
    prepared = true;
    return true;
}

bool SmbServer::writeConfig()
{
    QString config;
    config += QStringLiteral("[global]\n"
                             "  netbios name = ZORVANTEST\n"
                             "  workgroup = WORKGROUP\n"
                             "  server role = standalone server\n"
                             "  smb ports = %1\n"
                             "  interfaces = 127.0.0.1\n"
                             "  bind interfaces only = yes\n"
                             "  disable netbios = yes\n")
                  .arg(serverPort);
    config += QStringLiteral("  private dir = %1/private\n"
                             "  lock directory = %1/lock\n"
                             "  state directory = %1/state\n"
                             "  cache directory = %1/cache\n"
                             "  pid directory = %1/pid\n"
                             "  ncalrpc dir = %1/ncalrpc\n")
                  .arg(base);
    config += QStringLiteral("  log file = %1/log/log.%m\n"
                             "  max log size = 1000\n"
                             "  passdb backend = tdbsam:%1/private/passdb.tdb\n"
                             "  map to guest = bad user\n"
                             "  load printers = no\n"
                             "  printcap name = /dev/null\n"
                             "  disable spoolss = yes\n"
                             "  usershare path =\n"
                             "  kernel oplocks = no\n"
                             // No RPC helper daemons: they would detach from the server's process group.
                             "  rpc start on demand helpers = no\n"
                             // Names keep Samba's default case handling: compared ignoring letter
                             // case, as on most shares; tests rely on it.
                             // The read-only attribute is the owner's write bit of the file.
                             "  store dos attributes = no\n"
                             "  map readonly = yes\n"
                             "  map archive = no\n"
                             "  map hidden = no\n"
                             "  map system = no\n"
                             "[share]\n  path = %1/share\n  read only = no\n  valid users = %2\n"
                             "[readonly]\n  path = %1/readonly\n  read only = yes\n"
                             "[public]\n  path = %1/public\n  read only = no\n  guest ok = yes\n"
                             "[denied]\n  path = %1/denied\n  valid users = nobody\n")
                  .arg(base, user());
    QFile file(base + QStringLiteral("/smb.conf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(config.toUtf8()) < 0) {
        error = QStringLiteral("cannot write smb.conf");
        return false;
    }
    return true;
}

bool SmbServer::start()
{
    if (isRunning())
        return true;
    if (!prepare())
        return false;
    // A free port may be taken by someone else before smbd binds it: then try another one, unless
    // clients already know this server's port.
    for (int attempt = 1;; ++attempt) {
        if (launch())
            return true;
        if (startedOnce || attempt == 3)
            return false;
        serverPort = freePort();
        if (serverPort == 0 || !writeConfig())
            return false;
    }
}

bool SmbServer::launchRpcServices()
{
    const QString program = dcerpcdProgram();
    if (program.isEmpty()) {
        error = QStringLiteral("samba-dcerpcd is not installed");
        return false;
    }
    // Ready once the share service's pipe is there (a stale one from an earlier start is removed).
    const QString pipe = base + QStringLiteral("/ncalrpc/np/srvsvc");
    QFile::remove(pipe);
    rpcProcess = std::make_unique<QProcess>();
    rpcProcess->setProcessChannelMode(QProcess::MergedChannels);
    rpcProcess->setStandardOutputFile(base + QStringLiteral("/log/dcerpcd.out"), QIODevice::Append);
    rpcProcess->setChildProcessModifier([] { ::setsid(); });
    rpcProcess->start(program, {QStringLiteral("--foreground"), QStringLiteral("--no-process-group"),
                                QStringLiteral("--libexec-rpcds"), QStringLiteral("--debug-stdout"),
                                QStringLiteral("--debuglevel=1"),
                                QStringLiteral("--configfile=") + base + QStringLiteral("/smb.conf")});
    QElapsedTimer timer;
    timer.start();
    while (rpcProcess->state() != QProcess::NotRunning && !QFile::exists(pipe) && timer.elapsed() < 30000)
        QThread::msleep(50);
    if (!QFile::exists(pipe)) {
        error = QStringLiteral("samba-dcerpcd did not start; see %1/log").arg(base);
        endGroup(*rpcProcess);
        rpcProcess.reset();
        return false;
    }
    return true;
}

bool SmbServer::launch()
{
    if (shareListing && !rpcProcess && !launchRpcServices())
        return false;
    process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(base + QStringLiteral("/log/smbd.out"), QIODevice::Append);
    // Its own session, so that stop() can end smbd and every session process it forked at once.
    process->setChildProcessModifier([] { ::setsid(); });
    process->start(smbdProgram(), {QStringLiteral("--foreground"), QStringLiteral("--no-process-group"),
                                   QStringLiteral("--debug-stdout"), QStringLiteral("--debuglevel=1"),
                                   QStringLiteral("--configfile=") + base + QStringLiteral("/smb.conf")});
    if (!process->waitForStarted(10000)) {
        error = QStringLiteral("smbd did not start: ") + process->errorString();
        process.reset();
        return false;
    }
    // Still running a moment after the port answers: the port is this server's, not another one's.
    bool listening = waitUntilListening(30000);
    if (listening) {
        QThread::msleep(300);
        listening = isRunning() && canConnect(serverPort);
    }
    if (!listening) {
        error = QStringLiteral("smbd does not listen on port %1; see %2/log").arg(serverPort).arg(base);
        stop();
        return false;
    }
    startedOnce = true;
    return true;
}

bool SmbServer::waitUntilListening(int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (process->state() != QProcess::Running)
            return false;
        if (canConnect(serverPort))
            return true;
        QThread::msleep(50);
    }
    return false;
}

void SmbServer::endGroup(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid <= 0)
        return;
    ::kill(-pid_t(pid), SIGTERM);
    if (!process.waitForFinished(5000)) {
        ::kill(-pid_t(pid), SIGKILL);
        process.waitForFinished(5000);
    }
    // Session processes may outlive the parent for a moment: end the whole group for sure.
    ::kill(-pid_t(pid), SIGKILL);
}

void SmbServer::stop()
{
    if (rpcProcess) {
        endGroup(*rpcProcess);
        rpcProcess.reset();
    }
    if (!process)
        return;
    endGroup(*process);
    process.reset();
    QElapsedTimer timer;
    timer.start();
    while (canConnect(serverPort) && timer.elapsed() < 5000)
        QThread::msleep(20);
}

bool SmbServer::isRunning() const
{
    return process && process->state() == QProcess::Running;
}
