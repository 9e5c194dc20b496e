#include "support/SigningKey.h"

#include <openssl/evp.h>

struct SigningKey::Key
{
    EVP_PKEY* pkey = nullptr;
};

SigningKey::SigningKey() : key(std::make_unique<Key>())
{
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    EVP_PKEY_keygen_init(context);
    EVP_PKEY_keygen(context, &key->pkey);
    EVP_PKEY_CTX_free(context);
}

SigningKey::~SigningKey()
{
    EVP_PKEY_free(key->pkey);
}

QByteArray SigningKey::publicKey() const
{
    QByteArray raw(32, '\0');
    size_t size = static_cast<size_t>(raw.size());
    EVP_PKEY_get_raw_public_key(key->pkey, reinterpret_cast<unsigned char*>(raw.data()), &size);
    return raw;
}

QByteArray SigningKey::sign(const QByteArray& data) const
{
    QByteArray signature(64, '\0');
    size_t size = static_cast<size_t>(signature.size());
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key->pkey);
    EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &size,
                   reinterpret_cast<const unsigned char*>(data.constData()),
                   static_cast<size_t>(data.size()));
    EVP_MD_CTX_free(context);
    return signature;
}
