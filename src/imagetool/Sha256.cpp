#include "imagetool/Sha256.h"

#include <openssl/evp.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {
constexpr std::size_t kZeroBufferSize = 1u << 20;
const char* zeroBuffer()
{
    static const std::vector<char> zeros(kZeroBufferSize, '\0');
    return zeros.data();
}
} // namespace

TSha256::TSha256() : context(EVP_MD_CTX_new())
{
    if (!context || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
}

TSha256::~TSha256()
{
    EVP_MD_CTX_free(context);
}

void TSha256::Add(const char* data, std::size_t size)
{
    EVP_DigestUpdate(context, data, size);
}

void TSha256::AddZeros(quint64 count)
{
    while (count > 0) {
        const std::size_t step = std::min<quint64>(count, kZeroBufferSize);
        EVP_DigestUpdate(context, zeroBuffer(), step);
        count -= step;
    }
}

QByteArray TSha256::Result()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context, digest, &size);
    EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
    return QByteArray(reinterpret_cast<const char*>(digest), int(size));
}
