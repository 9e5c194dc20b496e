// The version manifest (manifest.json) of a drive image version, as the image tool reads it for
// recovery, "get versions" and deletion: every image file it names lies directly inside the version
// folder, and a manifest that reads, written again, reads the same.
#include "imagetool/VersionManifest.h"
#include "support/FuzzSupport.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kVersionFolder = QStringLiteral("/media/usb/ZorvanImageBackup/host/2024-06-30 21;05;00");

bool sameImages(const QList<TManifestImage>& a, const QList<TManifestImage>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].Item != b[i].Item || a[i].Source != b[i].Source || a[i].Name != b[i].Name ||
            a[i].File != b[i].File || a[i].Size != b[i].Size || a[i].DataBytes != b[i].DataBytes ||
            a[i].StoredBytes != b[i].StoredBytes || a[i].Sha256 != b[i].Sha256)
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TVersionManifest manifest;
    if (!TVersionManifest::FromJson(Fuzz::Bytes(data, size), manifest))
        return 0;
    for (const TManifestImage& image : std::as_const(manifest.Images)) {
        // The tool opens the version folder joined with the name, through a C string.
        const QString path = kVersionFolder + '/' + image.File;
        Fuzz::Check(!image.File.contains(QChar(0)) &&
                        QFileInfo(QDir::cleanPath(path)).path() == kVersionFolder &&
                        QDir::cleanPath(path) != kVersionFolder,
                    "an image file lies outside its version folder", image.File);
    }
    TVersionManifest again;
    Fuzz::Check(TVersionManifest::FromJson(manifest.ToJson(), again),
                "a manifest written again cannot be read");
    // The creation time is written to the second.
    Fuzz::Check(again.Host == manifest.Host && again.Tool == manifest.Tool &&
                    again.Created.toSecsSinceEpoch() == manifest.Created.toSecsSinceEpoch() &&
                    sameImages(again.Images, manifest.Images),
                "a manifest written again reads differently");
    return 0;
}
