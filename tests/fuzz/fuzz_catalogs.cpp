// The four catalogs and the start flag of a backup folder, as a restore and the next backup run read
// them: every entry the restore's check accepts names a place inside the output folder, and what was
// read, written again, reads the same.
#include "engine/CatalogFile.h"
#include "engine/RestorePoints.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Fuzz::TOutputFolder output;
    const QStringList entries = DecodeCatalog(Fuzz::Bytes(data, size));
    for (const QString& entry : entries) {
        output.CheckEntry(entry, false); // files, removed files, removed folders
        output.CheckEntry(entry, true);  // created folders
    }
    // As a start flag: the next backup run renames or removes the subfolder it names.
    if (const std::optional<QString> subfolder = StartFlagSubfolder(entries);
        subfolder && !subfolder->isEmpty())
        Fuzz::CheckBackupSubfolder(*subfolder);
    Fuzz::Check(DecodeCatalog(EncodeCatalog(entries)) == entries,
                "a catalog written again reads differently");
    return 0;
}
