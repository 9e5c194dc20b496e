#include "base/ContentChecksum.h"

#include <xxhash.h>

#include <algorithm>

namespace {

TChecksumDigest canonical(XXH128_hash_t hash)
{
    XXH128_canonical_t bytes;
    XXH128_canonicalFromHash(&bytes, hash);
    TChecksumDigest out;
    std::copy(std::begin(bytes.digest), std::end(bytes.digest), out.begin());
    return out;
}

struct TStateDeleter
{
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};
using TState = std::unique_ptr<XXH3_state_t, TStateDeleter>;

TState newState()
{
    TState state(XXH3_createState());
    if (!state)
        throw std::bad_alloc();
    XXH3_128bits_reset(state.get());
    return state;
}

} // namespace

struct TContentChecksum::TStates
{
    TState outer = newState(); // over the chunk digests
    TState chunk = newState(); // the chunk being fed
};

TChecksumDigest ChunkDigest(const void* data, size_t size)
{
    return canonical(XXH3_128bits(data, size));
}

TContentChecksum::TContentChecksum() : states(std::make_unique<TStates>()) {}
TContentChecksum::~TContentChecksum() = default;
TContentChecksum::TContentChecksum(TContentChecksum&&) noexcept = default;
TContentChecksum& TContentChecksum::operator=(TContentChecksum&&) noexcept = default;

void TContentChecksum::update(const void* data, size_t size)
{
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        const size_t part = size_t(std::min<qint64>(qint64(size), kChecksumChunkSize - inChunk));
        XXH3_128bits_update(states->chunk.get(), bytes, part);
        inChunk += qint64(part);
        total += qint64(part);
        bytes += part;
        size -= part;
        if (inChunk == kChecksumChunkSize)
            closeChunk();
    }
}

bool TContentChecksum::addChunk(const TChecksumDigest& digest, qint64 size)
{
    if (inChunk != 0 || size <= 0 || size > kChecksumChunkSize)
        return false;
    XXH3_128bits_update(states->outer.get(), digest.data(), digest.size());
    total += size;
    return true;
}

void TContentChecksum::closeChunk()
{
    const TChecksumDigest digest = canonical(XXH3_128bits_digest(states->chunk.get()));
    XXH3_128bits_update(states->outer.get(), digest.data(), digest.size());
    XXH3_128bits_reset(states->chunk.get());
    inChunk = 0;
}

TChecksumDigest TContentChecksum::digest() const
{
    if (inChunk == 0)
        return canonical(XXH3_128bits_digest(states->outer.get()));
    // The open chunk counts as the last one, on a copy of the outer state.
    TState outer(XXH3_createState());
    if (!outer)
        throw std::bad_alloc();
    XXH3_copyState(outer.get(), states->outer.get());
    const TChecksumDigest last = canonical(XXH3_128bits_digest(states->chunk.get()));
    XXH3_128bits_update(outer.get(), last.data(), last.size());
    return canonical(XXH3_128bits_digest(outer.get()));
}

QString TContentChecksum::hex() const
{
    return toHex(digest());
}

QString TContentChecksum::toHex(const TChecksumDigest& digest)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest.data()), qsizetype(digest.size())).toHex());
}

bool TContentChecksum::fromHex(QStringView text, TChecksumDigest& out)
{
    if (text.size() != qsizetype(out.size() * 2))
        return false;
    for (size_t i = 0; i < out.size(); ++i) {
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            const char16_t c = text[qsizetype(i * 2 + k)].unicode();
            int digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return false;
            value = value * 16 + digit;
        }
        out[i] = static_cast<unsigned char>(value);
    }
    return true;
}
