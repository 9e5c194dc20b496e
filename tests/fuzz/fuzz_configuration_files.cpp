// Feeds arbitrary plain content (as it is after unscrambling) to every reader of the configuration
// files: the local and remote job-file readers of both kinds, the kind probe and the options reader.
#include "base/BinaryStream.h"
#include "jobs/JobFiles.h"
#include "options/uOptions.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray plain(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        TJob_FilesAndFolders job(QStringLiteral("fuzz"));
        ParseLocalJobFile(plain, job);
    } catch (const TBinaryReadError&) {
    }
    try {
        TJob_DriveImage job(QStringLiteral("fuzz"));
        ParseLocalJobFile(plain, job);
    } catch (const TBinaryReadError&) {
    }
    for (bool loadJobSettings : {false, true}) {
        try {
            TJob_FilesAndFolders job(QStringLiteral("fuzz"));
            TRemoteBookkeeping bookkeeping;
            ParseRemoteJobFile(plain, loadJobSettings, job, bookkeeping);
        } catch (const TBinaryReadError&) {
        }
        try {
            TJob_DriveImage job(QStringLiteral("fuzz"));
            ParseRemoteJobFile(plain, loadJobSettings, job);
        } catch (const TBinaryReadError&) {
        }
    }
    try {
        ParseJobFileKind(plain);
    } catch (const TBinaryReadError&) {
    }
    try {
        TOptions options;
        ParseOptions(plain, options);
    } catch (const TBinaryReadError&) {
    }
    return 0;
}
