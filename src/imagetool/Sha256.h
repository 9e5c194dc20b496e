#pragma once
// Incremental SHA-256 (OpenSSL's implementation, which uses the processor's SHA instructions where
// present; the digest is the same one `sha256sum` prints for the raw volume).
#include <QByteArray>

#include <cstddef>

struct evp_md_ctx_st;

class TSha256
{
public:
    TSha256();
    ~TSha256();
    TSha256(const TSha256&) = delete;
    TSha256& operator=(const TSha256&) = delete;

    void Add(const char* data, std::size_t size);
    // Hashes `count` zero bytes (holes and zero blocks of a volume).
    void AddZeros(quint64 count);
    // The 32-byte digest; the hash starts over afterwards.
    QByteArray Result();

private:
    evp_md_ctx_st* context;
};
