#include "update/uNewVersionCheck.h"

#include "update/UpdateRequest.h"

#include <QNetworkAccessManager>

namespace {
// The pages are a few lines; anything much longer is not one of them.
constexpr qint64 kMaxPageBytes = 1 << 20;
} // namespace

TNewVersion CheckForNewVersion(const TUpdateServer& server)
{
    QNetworkAccessManager network;
    const TFetchResult versionPage =
        FetchIntoMemory(network, server.versionPage(), server.ReadTimeoutMsecs, kMaxPageBytes);
    if (!versionPage.Ok)
        return {};
    const TFetchResult changesPage =
        FetchIntoMemory(network, server.changesPage(), server.ReadTimeoutMsecs, kMaxPageBytes);
    if (!changesPage.Ok)
        return {};
    const std::optional<TVersionPage> version = ParseVersionPage(versionPage.Body);
    if (!version)
        return {};
    return EvaluateNewVersion(*version, ParseChangesPage(changesPage.Body), RunningVersionTimesTen());
}
