// Inner loops of zorvan-imagetool: zero-block detection, SHA-256 of the raw volume, and the image
// writer's chunk pipeline (packing out zero blocks and compressing on worker threads), fed from memory.
#include "imagetool/ImageFormat.h"
#include "imagetool/ImageWriter.h"
#include "imagetool/Sha256.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

// One chunk per kind of content: random bytes, base64-like text, and half zero blocks.
std::vector<char> makeChunk(int kind)
{
    std::vector<char> chunk(ImageFormat::kChunkSize, '\0');
    QRandomGenerator generator(quint32(kind + 1));
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t at = 0; at < chunk.size(); ++at) {
        if (kind == 2 && (at / ImageFormat::kBlockSize) % 2 == 1)
            continue;
        chunk[at] = kind == 0 ? char(generator.generate()) : alphabet[generator.bounded(64)];
    }
    return chunk;
}

void BM_IsZeroBlock(benchmark::State& state)
{
    const std::vector<char> zeros(ImageFormat::kChunkSize, '\0');
    for (auto _ : state) {
        bool all = true;
        for (std::size_t at = 0; at < zeros.size(); at += ImageFormat::kBlockSize)
            all &= ImageFormat::IsZeroBlock(zeros.data() + at, ImageFormat::kBlockSize);
        benchmark::DoNotOptimize(all);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(zeros.size()));
}
BENCHMARK(BM_IsZeroBlock);

void BM_Sha256(benchmark::State& state)
{
    const std::vector<char> chunk = makeChunk(0);
    TSha256 hash;
    for (auto _ : state)
        hash.Add(chunk.data(), chunk.size());
    benchmark::DoNotOptimize(hash.Result());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chunk.size()));
}
BENCHMARK(BM_Sha256);

// 64 chunks (256 MiB of volume) through the writer; args: content kind, worker threads.
void BM_ImageWriter(benchmark::State& state)
{
    const std::vector<char> chunk = makeChunk(int(state.range(0)));
    const int workers = int(state.range(1));
    constexpr int kChunks = 64;
    QTemporaryDir folder;
    int run = 0;
    quint64 stored = 0;
    for (auto _ : state) {
        const QString path = folder.filePath(QString::number(++run) + ".img");
        TImageWriter writer;
        writer.Open(path, quint64(kChunks) * chunk.size(), workers);
        for (int i = 0; i < kChunks; ++i) {
            char* buffer = writer.NextBuffer();
            std::memcpy(buffer, chunk.data(), chunk.size());
            writer.Submit(quint64(i) * chunk.size(), chunk.size());
        }
        writer.Finish();
        stored = writer.StoredBytes();
        QFile::remove(path);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunks * int64_t(chunk.size()));
    state.counters["stored_ratio"] = double(stored) / double(kChunks * chunk.size());
}
BENCHMARK(BM_ImageWriter)
    ->ArgNames({"kind", "workers"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
