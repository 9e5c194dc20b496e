// The checksums file beside a backup's catalogs, as verification and restore read it: whatever the
// bytes, reading never fails hard, and what was read, written again, reads the same.
#include "engine/ChecksumFile.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TChecksumTable table;
    if (!DecodeChecksums(Fuzz::Bytes(data, size), table))
        Fuzz::Check(table.entries.isEmpty(), "an unknown file left entries");
    for (auto it = table.entries.cbegin(); it != table.entries.cend(); ++it)
        Fuzz::Check(!it.key().isEmpty() && it->size >= 0, "an entry without a path or with a negative size");
    TChecksumTable again;
    Fuzz::Check(DecodeChecksums(EncodeChecksums(table), again) && again.entries == table.entries,
                "a checksums file written again reads differently");
    return 0;
}
