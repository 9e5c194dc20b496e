#include "update/PackageSignature.h"

#include <openssl/evp.h>

#include <QFile>

#include <memory>

namespace {
constexpr qsizetype kPublicKeyBytes = 32;
constexpr qsizetype kSignatureBytes = 64;
} // namespace

bool PackageSignatureValid(const QString& path, const QByteArray& signature, const QByteArray& publicKey)
{
    if (signature.size() != kSignatureBytes || publicKey.size() != kPublicKeyBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Ed25519 signs the message as a whole; an empty file cannot be mapped.
    const qint64 size = file.size();
    const uchar* data = size > 0 ? file.map(0, size) : reinterpret_cast<const uchar*>("");
    if (!data)
        return false;
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                    reinterpret_cast<const unsigned char*>(publicKey.constData()),
                                    static_cast<size_t>(publicKey.size())),
        &EVP_PKEY_free);
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
                            static_cast<size_t>(signature.size()), data, static_cast<size_t>(size)) == 1;
}
