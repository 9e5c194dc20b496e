#pragma once
// Reads an image file: checks its header, decompresses the record stream and hands the volume's
// bytes to a sink in order. A damaged or truncated file is reported, never passed off as complete.
#include "imagetool/ImageFormat.h"
#include "imagetool/ImageRecordParser.h"

#include <QString>

#include <functional>
#include <memory>

class TFileHandle;
class TFileSystem;

class TImageReader
{
public:
    // Reads from `fileSystem`, the local one when null.
    explicit TImageReader(TFileSystem* fileSystem = nullptr);
    ~TImageReader();
    TImageReader(const TImageReader&) = delete;
    TImageReader& operator=(const TImageReader&) = delete;

    bool Open(const QString& path);
    const ImageFormat::TImageHeader& Header() const { return header; }
    // Streams the whole volume into `sink`. False on a damaged image (LastError), a sink failure
    // (LastError empty) or a stop request (Stopped()).
    bool ReadAll(TImageSink& sink, const std::function<bool()>& stopRequested = {});
    // The SHA-256 of the raw volume that the image's END record holds (after a ReadAll).
    QByteArray StoredDigest() const { return digest; }
    QString LastError() const { return lastError; }
    bool Stopped() const { return stopped; }

private:
    bool Fail(const QString& message);
    bool OpenFile();

    TFileSystem* fileSystem;
    QString path;
    std::unique_ptr<TFileHandle> file;
    ImageFormat::TImageHeader header;
    QByteArray digest;
    QString lastError;
    bool stopped = false;
};
