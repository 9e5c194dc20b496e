#include "base/encryptor.h"

namespace {
// The built-in key 1D 5A E9 C3 64 0F read as three little-endian 16-bit words.
constexpr uint16_t kMultiplier = 0x5A1D;
constexpr uint16_t kIncrement = 0xC3E9;
constexpr uint16_t kInitialState = 0x0F64;

template <bool Enciphering>
bool runCipher(const uint8_t* input, std::size_t inputLength, uint8_t* output, std::size_t outputLength)
{
    if (inputLength != outputLength)
        return false;
    uint16_t state = kInitialState;
    for (std::size_t i = 0; i < inputLength; ++i) {
        const uint8_t in = input[i];
        const uint8_t out = in ^ uint8_t(state >> 8);
        output[i] = out;
        const uint8_t plain = Enciphering ? in : out;
        const uint8_t t = uint8_t(plain + uint8_t(state & 0xFF));
        state = uint16_t(uint32_t(t) * kMultiplier + kIncrement);
    }
    return true;
}
} // namespace

bool EncipherBuffer(const uint8_t* input, std::size_t inputLength, uint8_t* output, std::size_t outputLength)
{
    return runCipher<true>(input, inputLength, output, outputLength);
}

bool DecipherBuffer(const uint8_t* input, std::size_t inputLength, uint8_t* output, std::size_t outputLength)
{
    return runCipher<false>(input, inputLength, output, outputLength);
}

void InvertStream(QByteArray& buffer)
{
    for (char& byte : buffer)
        byte = char(~uint8_t(byte));
}

QByteArray ScrambleConfiguration(const QByteArray& plain)
{
    QByteArray scrambled(plain.size(), Qt::Uninitialized);
    EncipherBuffer(reinterpret_cast<const uint8_t*>(plain.constData()), std::size_t(plain.size()),
                   reinterpret_cast<uint8_t*>(scrambled.data()), std::size_t(scrambled.size()));
    InvertStream(scrambled);
    return scrambled;
}

QByteArray UnscrambleConfiguration(const QByteArray& scrambled)
{
    QByteArray inverted = scrambled;
    InvertStream(inverted);
    QByteArray plain(inverted.size(), Qt::Uninitialized);
    DecipherBuffer(reinterpret_cast<const uint8_t*>(inverted.constData()), std::size_t(inverted.size()),
                   reinterpret_cast<uint8_t*>(plain.data()), std::size_t(plain.size()));
    return plain;
}
