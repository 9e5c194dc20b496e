#pragma once
// The configuration cipher: a small byte-stream cipher with one built-in key, plus the inversion pass,
// that keep the options and job files unreadable to a casual look. Not a security measure.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

// False, with nothing written, when the two lengths differ.
bool EncipherBuffer(const uint8_t* input, std::size_t inputLength, uint8_t* output, std::size_t outputLength);
bool DecipherBuffer(const uint8_t* input, std::size_t inputLength, uint8_t* output, std::size_t outputLength);
// Every byte b becomes 255 - b.
void InvertStream(QByteArray& buffer);

// The two pipelines: plain content -> file bytes (encipher, invert) and back (invert, decipher).
QByteArray ScrambleConfiguration(const QByteArray& plain);
QByteArray UnscrambleConfiguration(const QByteArray& scrambled);
