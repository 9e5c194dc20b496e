#pragma once
// Restores one image: a verifying pass that reads the whole image and checks the volume's SHA-256
// without touching the target, then the writing pass. Zero ranges become holes in a file target (it
// has been truncated first) and are zeroed on a device.
#include <QByteArray>
#include <QString>

#include <functional>

class TFileSystem;

enum class TRestoreStatus
{
    rsDone,
    rsStopped,
    rsImageDamaged,
    rsChecksumMismatch,
    rsTargetError
};

struct TRestoreResult
{
    TRestoreStatus Status = TRestoreStatus::rsDone;
    int Errno = 0;   // of a target write failure
    QString Message; // description of the failure
    QByteArray Sha256;
};

class TVolumeRestorer
{
public:
    // The image is read from `fileSystem`, the local one when null.
    explicit TVolumeRestorer(const QString& imagePath, TFileSystem* fileSystem = nullptr);

    std::function<void(quint64 done, quint64 total)> OnProgress;
    std::function<bool()> StopRequested;

    // Reads the image and checks the SHA-256 of the volume it holds against `expectedSha256` and
    // against the digest stored in the image itself.
    TRestoreResult Verify(const QByteArray& expectedSha256);
    // Writes the volume to `targetFd` (open for writing; a file must be empty and already sized) and
    // checks the digest again on the way.
    TRestoreResult Write(int targetFd, bool targetIsBlockDevice, const QByteArray& expectedSha256);

private:
    TRestoreResult Pass(int targetFd, bool targetIsBlockDevice, const QByteArray& expectedSha256);

    QString imagePath;
    TFileSystem* fileSystem;
};
