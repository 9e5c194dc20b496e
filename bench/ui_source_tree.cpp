// Expanding a folder of 100,000 entries in the source tree: the time until its rows are in the tree
// (listing, sorting and item building run on a worker) and the longest stall of the window thread
// meanwhile (goal: the window stays responsive, no stall near 100 ms).
#include "ui/widgets/SourceTree.h"
#include "ui/widgets/SourceTreeModel.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kFiles = 100000;
constexpr int kFolders = 100;

void BM_ExpandHundredThousandEntries(benchmark::State& state)
{
    QTemporaryDir root;
    const QString big = root.filePath("Big");
    QDir().mkpath(big);
    for (int i = 0; i < kFiles; ++i)
        QFile(big + QStringLiteral("/file%1.txt").arg(i)).open(QIODevice::WriteOnly);
    for (int i = 0; i < kFolders; ++i)
        QDir().mkpath(big + QStringLiteral("/folder%1").arg(i));

    qint64 longestStall = 0;
    for (auto _ : state) {
        SourceTree tree;
        tree.resize(600, 400);
        tree.show();
        TSourceTreeModel& model = tree.Model();
        // The root place, then the folders down to the big one, each listed before the next.
        QModelIndex index = model.index(model.rowCount() - 1, 0);
        for (const QString& part : big.mid(1).split('/')) {
            tree.expand(index);
            while (model.PendingListings() > 0)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            const QString path = TSourceTreeSelection::ChildPath(model.PathOf(index), part);
            index = model.IndexOfPath(path);
        }

        QElapsedTimer clock;
        qint64 lastBeat = 0;
        QTimer beat;
        beat.setInterval(5);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longestStall = std::max(longestStall, clock.elapsed() - lastBeat);
            lastBeat = clock.elapsed();
        });
        clock.start();
        beat.start();
        QElapsedTimer timer;
        timer.start();
        tree.expand(index);
        while (model.rowCount(index) < kFiles + kFolders)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        tree.scrollTo(model.index(kFiles / 2, 0, index));
        QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        beat.stop();
    }
    state.counters["longest_stall_ms"] = double(longestStall);
}
BENCHMARK(BM_ExpandHundredThousandEntries)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
