// The network path forms the storage layer takes ("//server/share", "smb://host:port/share",
// "\\server\share"): a normalised path normalises to itself and names the same server, port, share
// and folder as the path it came from.
#include "platform/SmbPath.h"
#include "support/FuzzSupport.h"

namespace {
bool sameShareAndFolder(const TSmbPath& a, const TSmbPath& b)
{
    return a.host == b.host && a.port == b.port && a.share == b.share && a.rest == b.rest &&
           a.shareKey() == b.shareKey();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = QString::fromUtf8(Fuzz::Bytes(data, size));
    const QString normal = NormaliseSmbPath(path);
    Fuzz::Check(NormaliseSmbPath(normal) == normal, "a normalised path normalises to another", path);
    Fuzz::Check(IsSmbPath(normal) == IsSmbPath(path), "normalising changes the kind of a path", path);
    const TSmbPath parsed = ParseSmbPath(path);
    if (parsed.host.isEmpty())
        return 0;
    Fuzz::Check(sameShareAndFolder(ParseSmbPath(normal), parsed), "normalising changes the place", path);
    Fuzz::Check(sameShareAndFolder(ParseSmbPath(parsed.toPath()), parsed),
                "a path made from its parts reads differently", path);
    return 0;
}
