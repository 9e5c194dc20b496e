#pragma once
// Content checksum of a stored copy: XXH3-128 over the XXH3-128 digests of the file's consecutive
// 8 MiB chunks (the last one may be shorter; an empty file has none). Chunk by chunk so that two
// writers of alternate chunks (a share's second session) can each hash their own part; the result
// depends only on the bytes, never on how they were fed.
#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <memory>

constexpr qint64 kChecksumChunkSize = 8 * 1024 * 1024;

using TChecksumDigest = std::array<unsigned char, 16>;

// XXH3-128 of one chunk, big-endian (the canonical byte order).
TChecksumDigest ChunkDigest(const void* data, size_t size);

class TContentChecksum
{
public:
    TContentChecksum();
    ~TContentChecksum();
    TContentChecksum(TContentChecksum&&) noexcept;
    TContentChecksum& operator=(TContentChecksum&&) noexcept;

    // The next bytes of the file, in order, in pieces of any size.
    void update(const void* data, size_t size);
    // The digest of the next whole chunk, hashed elsewhere (`size` bytes, kChecksumChunkSize except for
    // the file's last). False, changing nothing, when the bytes fed so far do not end at a chunk boundary.
    bool addChunk(const TChecksumDigest& digest, qint64 size);

    qint64 size() const { return total; }
    // The checksum of all bytes fed so far (more may follow).
    TChecksumDigest digest() const;
    // 32 lower-case hexadecimal digits.
    QString hex() const;

    static QString toHex(const TChecksumDigest& digest);
    // False for anything but 32 hexadecimal digits.
    static bool fromHex(QStringView text, TChecksumDigest& out);

private:
    void closeChunk();

    struct TStates;
    std::unique_ptr<TStates> states;
    qint64 total = 0;
    qint64 inChunk = 0;
};
