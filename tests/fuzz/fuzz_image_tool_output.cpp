// The image tool's output as the drive image job reads it from the pipe, in reads of at most
// kChunkSize bytes: the run log, the error count and the progress come out the same whatever the
// reads cut, since a line is never taken apart at a read boundary. (The tool's access-denied message
// stands for the whole read it comes in, so output holding it is only read, not compared.)
#include "base/Clock.h"
#include "driveimage/ImageToolOutput.h"
#include "jobs/uJob_DriveImage.h"
#include "support/FuzzSupport.h"

#include <QStringDecoder>

#include <algorithm>

namespace {
struct TOutcome
{
    QStringList log;
    qint32 errors = 0;
    qint32 progress = 0;
    QString path;

    bool operator==(const TOutcome&) const = default;
};

// Reads `output` in pieces whose sizes come from `sizes` in turn (each at most kChunkSize).
TOutcome read(const QByteArray& output, const QByteArray& sizes)
{
    TJob_DriveImage job(QStringLiteral("System image"));
    TImageToolOutputReader reader(job);
    qsizetype next = 0;
    for (qsizetype at = 0; at < output.size();) {
        const qsizetype size = sizes.isEmpty() ? TImageToolOutputReader::kChunkSize
                                               : 1 + quint8(sizes[next++ % sizes.size()]) * 10;
        const qsizetype piece = std::min({size, TImageToolOutputReader::kChunkSize, output.size() - at});
        reader.HandleChunk(output.mid(at, piece));
        at += piece;
    }
    reader.Finish();
    return {job.LastJobResult.Log.snapshot(), job.LastJobResult.ErrorsCount.load(),
            job.CurrentFileOperationProgress.load(), job.CurrentFileOperationPath.get()};
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Log lines carry the time: the same for every read.
    Clock::setTestTime(QDateTime(QDate(2024, 6, 30), QTime(21, 5)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says how many of the next bytes choose where the reads end; the rest is the
    // tool's output.
    const size_t count = std::min<size_t>(1 + data[0] % 4, size - 1);
    const QByteArray sizes = Fuzz::Bytes(data + 1, count);
    const QByteArray output = Fuzz::Bytes(data + 1 + count, size - 1 - count);
    const TOutcome whole = read(output, QByteArray());
    const TOutcome pieces = read(output, sizes.isEmpty() ? QByteArray(1, '\0') : sizes);
    QString text = QStringDecoder(QStringDecoder::Utf8).decode(output);
    text.remove(QChar(0));
    if (!text.contains(QStringLiteral("Access denied. You must be a member")))
        Fuzz::Check(pieces == whole, "the tool's output reads differently in other reads");
    return 0;
}
