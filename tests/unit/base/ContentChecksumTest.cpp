#include "base/ContentChecksum.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <xxhash.h>

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(generator.generate() & 0xff);
    return data;
}

// The definition written out: XXH3-128 over the canonical XXH3-128 digests of the 8 MiB chunks.
QString reference(const QByteArray& data)
{
    QByteArray digests;
    for (qsizetype at = 0; at < data.size(); at += kChecksumChunkSize) {
        const TChecksumDigest d = ChunkDigest(
            data.constData() + at, size_t(std::min<qsizetype>(kChecksumChunkSize, data.size() - at)));
        digests.append(reinterpret_cast<const char*>(d.data()), qsizetype(d.size()));
    }
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits(digests.constData(), size_t(digests.size())));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(canonical.digest), 16).toHex());
}

} // namespace

// However the bytes are fed (pieces of any size, whole chunks hashed elsewhere), the result is the same.
TEST(ContentChecksum, SameResultForEveryWayOfFeeding)
{
    const qsizetype sizes[] = {
        0, 1, 4097, kChecksumChunkSize, kChecksumChunkSize + 1, 2 * kChecksumChunkSize + 7};
    for (qsizetype size : sizes) {
        const QByteArray data = randomBytes(size);
        const QString expected = reference(data);

        TContentChecksum whole;
        whole.update(data.constData(), size_t(data.size()));
        EXPECT_EQ(whole.hex(), expected) << size;
        EXPECT_EQ(whole.size(), size);

        TContentChecksum pieces;
        for (qsizetype at = 0; at < size; at += 1000003)
            pieces.update(data.constData() + at, size_t(std::min<qsizetype>(1000003, size - at)));
        EXPECT_EQ(pieces.hex(), expected) << size;

        // Alternate chunks as a second writer gives them: digest and length.
        TContentChecksum alternate;
        for (qsizetype at = 0, i = 0; at < size; at += kChecksumChunkSize, ++i) {
            const qsizetype n = std::min<qsizetype>(kChecksumChunkSize, size - at);
            if (i % 2 == 0)
                alternate.update(data.constData() + at, size_t(n));
            else
                ASSERT_TRUE(alternate.addChunk(ChunkDigest(data.constData() + at, size_t(n)), n));
        }
        EXPECT_EQ(alternate.hex(), expected) << size;
        EXPECT_EQ(alternate.size(), size);
    }
    // One bit anywhere changes it.
    QByteArray data = randomBytes(5000);
    TContentChecksum before, after;
    before.update(data.constData(), size_t(data.size()));
    data[4321] = char(data[4321] ^ 0x10);
    after.update(data.constData(), size_t(data.size()));
    EXPECT_NE(before.hex(), after.hex());
}

TEST(ContentChecksum, ChunkDigestOnlyAtAChunkBoundaryAndHexRoundTrip)
{
    TContentChecksum checksum;
    checksum.update("abc", 3);
    EXPECT_FALSE(checksum.addChunk(ChunkDigest("x", 1), 1));
    EXPECT_EQ(checksum.size(), 3);
    TContentChecksum fresh;
    EXPECT_FALSE(fresh.addChunk(ChunkDigest("x", 1), kChecksumChunkSize + 1));

    TChecksumDigest parsed{};
    ASSERT_TRUE(TContentChecksum::fromHex(checksum.hex(), parsed));
    EXPECT_EQ(parsed, checksum.digest());
    ASSERT_TRUE(TContentChecksum::fromHex(checksum.hex().toUpper(), parsed));
    EXPECT_EQ(parsed, checksum.digest());
    for (const QString& bad : {QString(), QString(31, 'a'), QString(33, 'a'), QString(31, 'a') + 'g'})
        EXPECT_FALSE(TContentChecksum::fromHex(bad, parsed)) << bad.toStdString();
}
