#pragma once
// manifest.json of a backup version: where each image came from, its size and the SHA-256 of the raw
// volume. A version folder without a readable manifest is not a complete version.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

struct TManifestImage
{
    QString Item;   // the volume as named on the command line
    QString Source; // the device node or image file that was read
    QString Name;   // the volume's name in this version
    QString File;   // the image file, relative to the version folder
    quint64 Size = 0;
    quint64 DataBytes = 0;
    quint64 StoredBytes = 0;
    QByteArray Sha256; // raw digest (32 bytes)
};

struct TVersionManifest
{
    QString Host;
    QDateTime Created; // UTC
    QString Tool;
    QList<TManifestImage> Images;

    QByteArray ToJson() const;
    // False (with `error` set) when `json` is not a manifest of this tool.
    static bool FromJson(const QByteArray& json, TVersionManifest& manifest, QString* error = nullptr);
    // The image that `item` names: its command-line name, its source, its name or its file name.
    const TManifestImage* FindImage(const QString& item) const;
};
