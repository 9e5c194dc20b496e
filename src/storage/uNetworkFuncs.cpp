#include "storage/uNetworkFuncs.h"

#include "jobs/uJob.h"

#include "platform/SmbContext.h"
#include "platform/SmbFileSystem.h"
#include "platform/SmbPath.h"
#include "storage/StorageError.h"

#include <cerrno>
#include <chrono>

std::atomic<int> TNetworkPathConnection::BusyRetryDelayMs{100};

namespace {
constexpr int kAccessDenied = 5;
constexpr int kBadNetName = 67;
constexpr int kInvalidPassword = 86;
constexpr int kBusy = 170;
constexpr int kNoNetOrBadPath = 1203;
constexpr int kNoNetwork = 1222;
constexpr int kCanceled = 1223;
constexpr int kBusyChecks = 100;
} // namespace

int NetworkErrorCodeFromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return kAccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return kBadNetName;
    case EBUSY:
        return kBusy;
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ETIMEDOUT:
    case ENOTCONN:
    case EPIPE:
        return kNoNetOrBadPath;
    case ENETDOWN:
    case ENETUNREACH:
        return kNoNetwork;
    case ECANCELED:
        return kCanceled;
    default:
        return 0;
    }
}

QString NetworkErrorPrefix(int code)
{
    switch (code) {
    case 5:
        return QStringLiteral("Access denied:");
    case 66:
        return QStringLiteral("Bad device type:");
    case 67:
        return QStringLiteral("Bad network Name:");
    case 85:
        return QStringLiteral("Already assigned:");
    case 86:
        return QStringLiteral("Invalid password:");
    case 170:
        return QStringLiteral("Busy:");
    case 1200:
        return QStringLiteral("Bad device:");
    case 1202:
        return QStringLiteral("Device already remembered:");
    case 1203:
        return QStringLiteral("No Net or bad path:");
    case 1204:
        return QStringLiteral("Bad provider:");
    case 1205:
        return QStringLiteral("Cannot open profile:");
    case 1206:
        return QStringLiteral("Bad profile:");
    case 1208:
        return QStringLiteral("Extended error:");
    case 1222:
        return QStringLiteral("No Network:");
    case 1223:
        return QStringLiteral("Canceled:");
    default:
        return QString();
    }
}

TNetworkPathConnection::TNetworkPathConnection() = default;

TNetworkPathConnection::~TNetworkPathConnection()
{
    if (FConnected)
        Disconnect(true);
}

TFileSystem* TNetworkPathConnection::fileSystem() const
{
    return FConnected ? FFileSystem.get() : nullptr;
}

void TNetworkPathConnection::ClearError()
{
    FFailed = false;
    FLastError.clear();
}

void TNetworkPathConnection::SetError(const QString& text)
{
    FLastError = text.trimmed();
    FFailed = !FLastError.isEmpty();
}

void TNetworkPathConnection::failConnect(int code, const QString& message)
{
    FURI.clear();
    FFileSystem.reset();
    FContext.reset();
    SetError(NetworkErrorPrefix(code) + ' ' + message);
}

bool TNetworkPathConnection::Connect(const QString& aNetworkPath, const QString& aUsername,
                                     const QString& aPassword)
{
    ClearError();
    const QString path = aNetworkPath.trimmed();
    if (FConnected)
        Disconnect(true);

    if (path.size() > kMaxPathLength) {
        failConnect(kBadNetName,
                    QStringLiteral("The network path is longer than %1 characters.").arg(kMaxPathLength));
        return false;
    }
    FURI = path;

    if (!IsSmbPath(path)) {
        // A folder this system already reaches (a mounted share): nothing to open or to close.
        FConnected = true;
        FOwned = false;
        FUser = aUsername;
        FPassword = aPassword;
        FRemotePath = path;
        return true;
    }
    const TSmbPath share = ParseSmbPath(path);
    if (!share.isValid()) {
        failConnect(kBadNetName, QStringLiteral("The network path names no server and share."));
        return false;
    }

    // The caller's credentials when no user name is given: the stored password is not used.
    const bool withUser = !aUsername.trimmed().isEmpty();
    int error = 0;
    FContext = TSmbContext::create(withUser ? aUsername : QString(), withUser ? aPassword : QString(), error);
    if (!FContext) {
        failConnect(NetworkErrorCodeFromErrno(error), SystemErrorDescription(error));
        return false;
    }
    FFileSystem = std::make_unique<TSmbFileSystem>(FContext);

    TSmbPath shareRoot = share;
    shareRoot.rest.clear();
    TFileStat st;
    error = FFileSystem->stat(shareRoot.toPath(), st);
    if (error != 0) {
        int code = NetworkErrorCodeFromErrno(error);
        if (code == kAccessDenied) {
            // A refused logon fails on the server itself too; a refused share does not.
            const int serverError = FFileSystem->probeServer(path);
            if (serverError == EACCES || serverError == EPERM)
                code = kInvalidPassword;
        }
        failConnect(code, SystemErrorDescription(error));
        return false;
    }

    FOwned = true;
    FConnected = true;
    FUser = aUsername;
    FPassword = aPassword;
    FRemotePath = path;
    return true;
}

void TNetworkPathConnection::Disconnect(bool aForce)
{
    if (!FConnected || !FOwned)
        return;
    if (!aForce && FContext) {
        // As long as the checks that far apart would take; the last file's close ends the wait at once.
        FContext->waitUntilNoOpenFiles(
            std::chrono::milliseconds(qint64(BusyRetryDelayMs.load()) * (kBusyChecks - 1)));
    }
    // Files still open keep their own reference: the session ends with the last of them.
    FFileSystem.reset();
    FContext.reset();
    FConnected = false;
    FOwned = false;
    FRemotePath.clear();
    FUser.clear();
    FPassword.clear();
    FURI.clear();
}

void TNetworkConnectionDeleter::operator()(TNetworkPathConnection* connection) const
{
    delete connection;
}
