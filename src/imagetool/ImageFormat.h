#pragma once
// Layout of an image file (<volume>.img). The whole file is a valid zstd stream:
//   - a zstd skippable frame whose payload is the image header (magic, format version, block size,
//     volume size);
//   - zstd frame(s) whose decompressed content is a sequence of records, each starting with a 24-byte
//     record header: DATA records (volume offset, length, then that many bytes of volume data) in
//     rising offset order, and one END record (volume size, data bytes) followed by the SHA-256 of the
//     raw volume.
// Bytes of the volume that no DATA record covers are zero: zero blocks are never stored.
#include <QByteArray>
#include <QtGlobal>

#include <cstddef>

namespace ImageFormat {

constexpr quint32 kFormatVersion = 1;
// Granularity of zero detection: a block of this size that holds only zero bytes is not stored.
constexpr quint32 kBlockSize = 4096;
// The volume is read and hashed in chunks of this size.
constexpr std::size_t kChunkSize = 4u << 20;

constexpr quint32 kSkippableFrameMagic = 0x184D2A5A;
constexpr std::size_t kHeaderPayloadSize = 64;
constexpr std::size_t kHeaderSize = 8 + kHeaderPayloadSize;
constexpr std::size_t kRecordHeaderSize = 24;
constexpr std::size_t kDigestSize = 32;

// Record tags, stored little-endian.
constexpr quint32 kDataTag = 0x41544144; // "DATA"
constexpr quint32 kEndTag = 0x21444E45;  // "END!"

struct TImageHeader
{
    quint32 FormatVersion = kFormatVersion;
    quint32 BlockSize = kBlockSize;
    quint64 VolumeSize = 0;
};

struct TRecordHeader
{
    quint32 Tag = 0;
    quint64 First = 0;  // DATA: offset in the volume; END: volume size
    quint64 Second = 0; // DATA: length; END: number of stored data bytes
};

QByteArray EncodeHeader(const TImageHeader& header);
// False when `bytes` (kHeaderSize bytes) is not an image header of a known format version.
bool DecodeHeader(const char* bytes, TImageHeader& header);

void EncodeRecordHeader(const TRecordHeader& record, char* out);
TRecordHeader DecodeRecordHeader(const char* bytes);

// True when every byte of the range is zero.
bool IsZeroBlock(const char* data, std::size_t size);

} // namespace ImageFormat
