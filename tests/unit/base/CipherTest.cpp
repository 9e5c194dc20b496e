// The configuration cipher and the inversion pass, against values worked out by hand.
#include "base/encryptor.h"

#include <gtest/gtest.h>
#include <QByteArray>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes encipher(const Bytes& input)
{
    Bytes output(input.size(), 0xAA);
    EXPECT_TRUE(EncipherBuffer(input.data(), input.size(), output.data(), output.size()));
    return output;
}

Bytes decipher(const Bytes& input)
{
    Bytes output(input.size(), 0xAA);
    EXPECT_TRUE(DecipherBuffer(input.data(), input.size(), output.data(), output.size()));
    return output;
}

QByteArray toQByteArray(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Key 1D 5A E9 C3 64 0F: M = 0x5A1D (23069), A = 0xC3E9 (50153), S0 = 0x0F64.
//
// Enciphering 00 41 FF 00:
//   S = 0F64: k = 0F, out = 00^0F = 0F; t = 00+64 = 64 (100);  S = (100*23069+50153) mod 65536
//             = 2357053 mod 65536 = 63293 = F73D
//   S = F73D: k = F7, out = 41^F7 = B6; t = 41+3D = 7E (126);  S = 2956847 mod 65536 = 7727 = 1E2F
//   S = 1E2F: k = 1E, out = FF^1E = E1; t = (FF+2F) mod 256 = 2E (46); S = 1111327 mod 65536 = 62751 = F51F
//   S = F51F: k = F5, out = 00^F5 = F5
// Deciphering 00 00 (the state follows the produced byte, so it differs from enciphering 00 00):
//   S = 0F64: out = 00^0F = 0F; t = 0F+64 = 73 (115); S = 2703088 mod 65536 = 16112 = 3EF0
//   S = 3EF0: out = 00^3E = 3E
// Enciphering 00 00 follows the input byte instead: 0F, then S = F73D gives 00^F7 = F7.
struct KnownAnswer
{
    const char* name;
    bool enciphering;
    Bytes input;
    Bytes expected;
};

const KnownAnswer kKnownAnswers[] = {
    {"encipher 00 41 FF 00", true, {0x00, 0x41, 0xFF, 0x00}, {0x0F, 0xB6, 0xE1, 0xF5}},
    {"decipher 0F B6 E1 F5", false, {0x0F, 0xB6, 0xE1, 0xF5}, {0x00, 0x41, 0xFF, 0x00}},
    {"encipher 00 00", true, {0x00, 0x00}, {0x0F, 0xF7}},
    {"decipher 00 00", false, {0x00, 0x00}, {0x0F, 0x3E}},
    {"encipher one byte", true, {0x41}, {0x4E}},
};

TEST(CipherTest, KnownAnswersWorkedByHand)
{
    for (const KnownAnswer& c : kKnownAnswers) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.enciphering ? encipher(c.input) : decipher(c.input), c.expected);
    }
}

TEST(CipherTest, ScramblePipelineEnciphersThenInverts)
{
    // The file bytes of plain 00 41 FF 00 are the enciphered bytes 0F B6 E1 F5 inverted.
    const QByteArray plain = toQByteArray({0x00, 0x41, 0xFF, 0x00});
    const QByteArray scrambled = ScrambleConfiguration(plain);
    EXPECT_EQ(scrambled, toQByteArray({0xF0, 0x49, 0x1E, 0x0A}));
    EXPECT_EQ(UnscrambleConfiguration(scrambled), plain);
}

TEST(CipherTest, InvertStreamMapsEveryByteToItsComplement)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    InvertStream(all);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(uint8_t(all[b]), 255 - b);
    QByteArray empty;
    InvertStream(empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(CipherTest, EmptyBufferSucceedsInBothDirections)
{
    uint8_t sentinel = 0x5C;
    EXPECT_TRUE(EncipherBuffer(nullptr, 0, &sentinel, 0));
    EXPECT_TRUE(DecipherBuffer(nullptr, 0, &sentinel, 0));
    EXPECT_EQ(sentinel, 0x5C);
    EXPECT_TRUE(ScrambleConfiguration(QByteArray()).isEmpty());
    EXPECT_TRUE(UnscrambleConfiguration(QByteArray()).isEmpty());
}

TEST(CipherTest, LengthMismatchFailsAndWritesNothing)
{
    const Bytes input = {1, 2, 3, 4};
    for (std::size_t outputLength : {std::size_t(0), std::size_t(3), std::size_t(5)}) {
        SCOPED_TRACE(outputLength);
        Bytes output(8, 0xAA);
        EXPECT_FALSE(EncipherBuffer(input.data(), input.size(), output.data(), outputLength));
        EXPECT_FALSE(DecipherBuffer(input.data(), input.size(), output.data(), outputLength));
        EXPECT_EQ(output, Bytes(8, 0xAA));
    }
}

TEST(CipherTest, RoundTripAndDeterminism)
{
    std::mt19937 random(1234);
    for (std::size_t size : {1, 2, 255, 4096, 100003}) {
        SCOPED_TRACE(size);
        Bytes plain(size);
        for (uint8_t& b : plain)
            b = uint8_t(random());
        const Bytes enciphered = encipher(plain);
        EXPECT_EQ(decipher(enciphered), plain);
        // The state restarts for every buffer: the same content always gives the same bytes.
        EXPECT_EQ(encipher(plain), enciphered);
        const QByteArray q = toQByteArray(plain);
        EXPECT_EQ(UnscrambleConfiguration(ScrambleConfiguration(q)), q);
    }
}

TEST(CipherTest, OneChangedByteAffectsOnlyThatByteAndWhatFollows)
{
    Bytes plain(64);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = uint8_t(i * 7);
    const Bytes original = encipher(plain);
    for (std::size_t at : {std::size_t(0), std::size_t(31), std::size_t(63)}) {
        SCOPED_TRACE(at);
        Bytes changed = plain;
        changed[at] ^= 0x01;
        const Bytes result = encipher(changed);
        for (std::size_t i = 0; i < at; ++i)
            EXPECT_EQ(result[i], original[i]) << "byte before the change at " << i;
        EXPECT_NE(result[at], original[at]);
        if (at + 1 < plain.size()) {
            // Through the state the rest differs too (generally; for this content at least one byte).
            EXPECT_NE(Bytes(result.begin() + at + 1, result.end()),
                      Bytes(original.begin() + at + 1, original.end()));
        }
    }
}

TEST(CipherTest, TrailingBytesDoNotDisturbTheContentBeforeThem)
{
    const QByteArray plain = QByteArrayLiteral("job settings content");
    QByteArray scrambled = ScrambleConfiguration(plain);
    scrambled.append(QByteArrayLiteral("\x01\x02\x03 an older, longer tail"));
    EXPECT_TRUE(UnscrambleConfiguration(scrambled).startsWith(plain));
}

} // namespace
