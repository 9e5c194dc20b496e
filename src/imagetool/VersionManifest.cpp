#include "imagetool/VersionManifest.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kFormat = QStringLiteral("zorvan-image-version");
constexpr int kFormatVersion = 1;

// JSON numbers are doubles: sizes are kept as decimal strings so that no byte count gets rounded.
QString sizeText(quint64 value)
{
    return QString::number(value);
}

bool readSize(const QJsonObject& object, const char* key, quint64& value)
{
    bool ok = false;
    value = object.value(QLatin1String(key)).toString().toULongLong(&ok);
    return ok;
}
} // namespace

QByteArray TVersionManifest::ToJson() const
{
    QJsonArray images;
    for (const TManifestImage& image : Images) {
        images.append(QJsonObject{{"item", image.Item},
                                  {"source", image.Source},
                                  {"name", image.Name},
                                  {"file", image.File},
                                  {"size", sizeText(image.Size)},
                                  {"dataBytes", sizeText(image.DataBytes)},
                                  {"storedBytes", sizeText(image.StoredBytes)},
                                  {"sha256", QString::fromLatin1(image.Sha256.toHex())}});
    }
    const QJsonObject root{{"format", kFormat}, {"formatVersion", kFormatVersion},
                           {"host", Host},      {"created", Created.toUTC().toString(Qt::ISODate)},
                           {"tool", Tool},      {"images", images}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool TVersionManifest::FromJson(const QByteArray& json, TVersionManifest& manifest, QString* error)
{
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject())
        return fail(parseError.errorString());
    const QJsonObject root = document.object();
    if (root.value("format").toString() != kFormat || root.value("formatVersion").toInt() != kFormatVersion)
        return fail(QStringLiteral("not a version manifest of this tool"));
    manifest = {};
    manifest.Host = root.value("host").toString();
    manifest.Created = QDateTime::fromString(root.value("created").toString(), Qt::ISODate);
    manifest.Tool = root.value("tool").toString();
    if (!manifest.Created.isValid())
        return fail(QStringLiteral("the creation time is missing"));
    for (const QJsonValue& value : root.value("images").toArray()) {
        const QJsonObject object = value.toObject();
        TManifestImage image;
        image.Item = object.value("item").toString();
        image.Source = object.value("source").toString();
        image.Name = object.value("name").toString();
        image.File = object.value("file").toString();
        image.Sha256 = QByteArray::fromHex(object.value("sha256").toString().toLatin1());
        // The file must lie in the version folder itself, under the name the system is given (a C string
        // ends at a NUL).
        if (image.File.isEmpty() || image.File.contains('/') || image.File.startsWith('.') ||
            image.File.contains(QChar(0)) || image.Sha256.size() != 32 ||
            !readSize(object, "size", image.Size) || !readSize(object, "dataBytes", image.DataBytes) ||
            !readSize(object, "storedBytes", image.StoredBytes))
            return fail(QStringLiteral("an image entry is incomplete"));
        manifest.Images.append(image);
    }
    if (manifest.Images.isEmpty())
        return fail(QStringLiteral("the manifest lists no images"));
    return true;
}

const TManifestImage* TVersionManifest::FindImage(const QString& item) const
{
    QString trimmed = item;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    for (const TManifestImage& image : Images)
        if (image.Item == trimmed || image.Source == trimmed || image.Name == trimmed ||
            image.File == trimmed)
            return &image;
    // A device named through another path (a symbolic link such as /dev/disk/by-uuid/...).
    const QString canonical = QFileInfo(trimmed).canonicalFilePath();
    if (!canonical.isEmpty())
        for (const TManifestImage& image : Images)
            if (image.Source == canonical)
                return &image;
    return nullptr;
}
