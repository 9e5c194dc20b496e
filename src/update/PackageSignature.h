#pragma once
// The detached signature of a downloaded package: Ed25519 over the whole file, 64 raw bytes.
#include <QByteArray>
#include <QString>

// True when `signature` is the signature of the file at `path` by the holder of `publicKey` (raw,
// 32 bytes). False for a file that cannot be read, a malformed key or signature, or a wrong one.
bool PackageSignatureValid(const QString& path, const QByteArray& signature, const QByteArray& publicKey);
