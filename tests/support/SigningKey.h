#pragma once
// An Ed25519 key pair made for one test, to sign packages the way a release is signed.
#include <QByteArray>

#include <memory>

class SigningKey
{
public:
    SigningKey();
    ~SigningKey();
    // The raw public key (32 bytes) and its base64 form for ZORVAN_UPDATE_PUBLIC_KEY.
    QByteArray publicKey() const;
    QByteArray publicKeyBase64() const { return publicKey().toBase64(); }
    // The 64-byte detached signature of `data`.
    QByteArray sign(const QByteArray& data) const;

private:
    struct Key;
    std::unique_ptr<Key> key;
};
