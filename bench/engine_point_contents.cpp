// Building the tree of a restore point from its catalogs: a full backup of 1,000,000 files in 1,000
// folders followed by two incremental ones (10,000 changed files and 1,000 removed ones each), then
// the choice of one folder tested against every entry as a restore does. Reports the time of each, the
// memory the catalogs' texts take and what the tree adds to them (resident sizes).
#include "engine/PointContents.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 1000;

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

struct TChain
{
    QStringList fullFiles, fullFolders;
    QStringList incFiles[2], incRemoved[2];
};

TChain makeChain()
{
    TChain chain;
    chain.fullFiles.reserve(kFolders * kFilesPerFolder);
    for (int d = 0; d < kFolders; ++d) {
        const QString folder = QStringLiteral("Documents/Projects/folder %1").arg(d);
        chain.fullFolders.append(folder);
        for (int f = 0; f < kFilesPerFolder; ++f)
            chain.fullFiles.append(folder + QStringLiteral("/report file %1.txt").arg(f));
    }
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 10000; ++k)
            chain.incFiles[i].append(chain.fullFiles.at((k * 97 + i) % chain.fullFiles.size()));
        for (int k = 0; k < 1000; ++k)
            chain.incRemoved[i].append(chain.fullFiles.at((k * 991 + 7 + i) % chain.fullFiles.size()));
    }
    return chain;
}

void BM_BuildPointContents(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 baseline = residentKiB();
        auto chain = std::make_unique<TChain>(makeChain());
        const qint64 withCatalogs = residentKiB();
        state.ResumeTiming();
        auto contents = std::make_unique<TPointContents>();
        contents->apply(0, chain->fullFiles, chain->fullFolders, {}, {});
        for (int i = 0; i < 2; ++i)
            contents->apply(i + 1, chain->incFiles[i], {}, chain->incRemoved[i], {});
        contents->finish();
        state.PauseTiming();
        // The tree shares the path texts of the catalogs; what it adds is its index and its nodes.
        state.counters["entries"] = double(contents->fileCount() + contents->folderCount());
        state.counters["catalogs_MiB"] = double(withCatalogs - baseline) / 1024.0;
        state.counters["tree_added_MiB"] = double(residentKiB() - withCatalogs) / 1024.0;
        contents.reset();
        chain.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildPointContents)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SelectionOverAMillionEntries(benchmark::State& state)
{
    const TChain chain = makeChain();
    const TRestoreSelection selection({QStringLiteral("Documents/Projects/folder 500")});
    for (auto _ : state) {
        qint64 covered = 0;
        for (const QString& entry : chain.fullFiles)
            covered += selection.covers(entry) ? 1 : 0;
        benchmark::DoNotOptimize(covered);
        state.counters["covered"] = double(covered);
    }
}
BENCHMARK(BM_SelectionOverAMillionEntries)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
