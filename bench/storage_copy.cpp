// Whole-run comparison of the storage copy routine: one 1 GiB file and 20,000 files of 1-64 KiB,
// local -> local against `cp` and local -> SMB against `smbclient` put, all in one run on the same
// data, printing the times and the ratios (ours / theirs; below 1 is faster).
//   bench_storage_copy [--big-mib N] [--files N] [--runs N] [--work DIR]
// The SMB half needs root (it starts its own smbd on 127.0.0.1) and is skipped otherwise.
// The fixture's default folder; this program passes its own.
#define ZORVAN_TEST_WORK_DIR "/tmp"
#include "platform/CopyFile.h"
#include "platform/FileSystemLocal.h"
#include "storage/uNetworkFuncs.h"

// The test suite's smbd fixture, compiled into this program (benchmarks link only the core library).
#include "../tests/support/SmbServer.cpp"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>
#include <functional>

namespace {

struct TFileList
{
    QStringList folders; // relative, parents first
    QStringList files;   // relative
    qint64 bytes = 0;
};

void writeRandomFile(const QString& path, qint64 size, QRandomGenerator& generator)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block(1 << 20, Qt::Uninitialized);
    qint64 left = size;
    while (left > 0) {
        const qint64 n = std::min<qint64>(left, block.size());
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        file.write(block.constData(), n);
        left -= n;
    }
}

TFileList makeSmallFiles(const QString& root, int count, QRandomGenerator& generator)
{
    TFileList list;
    for (int i = 0; i < count; ++i) {
        const QString folder = QStringLiteral("d%1").arg(i / 500, 3, 10, QChar('0'));
        if (list.folders.isEmpty() || list.folders.last() != folder) {
            list.folders.append(folder);
            QDir().mkpath(root + '/' + folder);
        }
        const QString file = folder + QStringLiteral("/f%1.bin").arg(i, 5, 10, QChar('0'));
        const qint64 size = 1024 + qint64(generator.bounded(64 * 1024 - 1024 + 1));
        writeRandomFile(root + '/' + file, size, generator);
        list.files.append(file);
        list.bytes += size;
    }
    return list;
}

double timed(const std::function<void()>& prepare, const std::function<bool()>& work)
{
    prepare();
    QElapsedTimer timer;
    timer.start();
    if (!work())
        qFatal("a copy failed");
    return timer.nsecsElapsed() / 1e9;
}

// Best of `runs` timings in seconds for both sides, run alternately so that both meet the same load;
// `prepare` runs untimed before each.
std::pair<double, double> bestOfBoth(int runs, const std::function<void()>& prepare,
                                     const std::function<bool()>& ours, const std::function<bool()>& theirs)
{
    double bestOurs = 1e30, bestTheirs = 1e30;
    for (int run = 0; run < runs; ++run) {
        bestOurs = std::min(bestOurs, timed(prepare, ours));
        bestTheirs = std::min(bestTheirs, timed(prepare, theirs));
    }
    return {bestOurs, bestTheirs};
}

bool runProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAll().constData());
        return false;
    }
    return true;
}

bool copyTree(TFileSystem& targetFs, const QString& source, const QString& target, const TFileList& list)
{
    TLocalFileSystem& localFs = TLocalFileSystem::instance();
    if (targetFs.makePath(target) != 0)
        return false;
    for (const QString& folder : list.folders)
        if (targetFs.makeFolder(target + '/' + folder) != 0)
            return false;
    for (const QString& file : list.files)
        if (!CopyFileWithProgress(localFs, source + '/' + file, targetFs, target + '/' + file, {}).ok())
            return false;
    return true;
}

void printRow(const char* what, double ours, double theirs, const char* theirName, qint64 bytes)
{
    std::printf("%-34s ours %8.3f s (%7.1f MiB/s)   %-9s %8.3f s (%7.1f MiB/s)   ratio %.3f\n", what, ours,
                bytes / ours / 1048576.0, theirName, theirs, bytes / theirs / 1048576.0, ours / theirs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // results appear as they come, also into a file
    int bigMiB = 1024, fileCount = 20000, runs = 3;
    QString work = QDir::tempPath() + QStringLiteral("/zorvan-bench-storage");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--big-mib"))
            bigMiB = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--files"))
            fileCount = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--runs"))
            runs = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--work"))
            work = args[i + 1];
    }
    QDir(work).removeRecursively();
    const QString source = work + QStringLiteral("/source");
    QDir().mkpath(source + QStringLiteral("/small"));
    QRandomGenerator generator(2024);
    std::printf("Generating %d MiB file and %d small files in %s ...\n", bigMiB, fileCount, qPrintable(work));
    const qint64 bigBytes = qint64(bigMiB) << 20;
    writeRandomFile(source + QStringLiteral("/big.bin"), bigBytes, generator);
    const TFileList small = makeSmallFiles(source + QStringLiteral("/small"), fileCount, generator);
    // Both sides read from the page cache: warm it once.
    runProgram(QStringLiteral("cat"), {source + QStringLiteral("/big.bin")});

    TLocalFileSystem& localFs = TLocalFileSystem::instance();
    const QString target = work + QStringLiteral("/target");
    auto clearTarget = [&] {
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        runProgram(QStringLiteral("sync"), {});
    };

    std::printf("\nlocal -> local (best of %d)\n", runs);
    const auto [oursBig, cpBig] = bestOfBoth(
        runs, clearTarget,
        [&] {
            return CopyFileWithProgress(localFs, source + "/big.bin", localFs, target + "/big.bin", {}).ok();
        },
        [&] {
            return runProgram(QStringLiteral("cp"), {QStringLiteral("--preserve=mode,timestamps"),
                                                     source + "/big.bin", target + "/big.bin"});
        });
    printRow("1 file", oursBig, cpBig, "cp", bigBytes);
    const auto [oursSmall, cpSmall] = bestOfBoth(
        runs, clearTarget, [&] { return copyTree(localFs, source + "/small", target + "/small", small); },
        [&] {
            return runProgram(QStringLiteral("cp"),
                              {QStringLiteral("-r"), QStringLiteral("--preserve=mode,timestamps"),
                               source + "/small", target + "/small"});
        });
    printRow(qPrintable(QStringLiteral("%1 files").arg(fileCount)), oursSmall, cpSmall, "cp", small.bytes);
    QDir(target).removeRecursively();

    if (!SmbServer::available()) {
        std::printf("\nlocal -> SMB skipped: smbd needs root and the samba package\n");
        QDir(work).removeRecursively();
        return 0;
    }
    SmbServer server(work);
    if (!server.start())
        qFatal("smbd: %s", qPrintable(server.errorText()));
    TNetworkPathConnection connection;
    if (!connection.Connect(server.shareUrl(), server.user(), server.password()))
        qFatal("connect: %s", qPrintable(connection.LastError()));
    TFileSystem& smbFs = *connection.fileSystem();
    auto clearShare = [&] {
        QDir share(server.shareFolder());
        for (const QString& name : share.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            QFileInfo(share.filePath(name)).isDir() ? QDir(share.filePath(name)).removeRecursively()
                                                    : share.remove(name);
        runProgram(QStringLiteral("sync"), {});
    };
    const QStringList smbclient = {QStringLiteral("//127.0.0.1/share"),     QStringLiteral("-p"),
                                   QString::number(server.port()),          QStringLiteral("-U"),
                                   server.user() + '%' + server.password(), QStringLiteral("-c")};

    std::printf("\nlocal -> SMB on 127.0.0.1 (best of %d)\n", runs);
    const auto [oursSmbBig, putBig] = bestOfBoth(
        runs, clearShare,
        [&] {
            return CopyFileWithProgress(localFs, source + "/big.bin", smbFs, server.shareUrl() + "/big.bin",
                                        {})
                .ok();
        },
        [&] {
            return runProgram(QStringLiteral("smbclient"),
                              smbclient + QStringList{QStringLiteral("lcd %1; put big.bin").arg(source)});
        });
    printRow("1 file", oursSmbBig, putBig, "smbclient", bigBytes);
    const auto [oursSmbSmall, putSmall] = bestOfBoth(
        runs, clearShare,
        [&] { return copyTree(smbFs, source + "/small", server.shareUrl() + "/small", small); },
        [&] {
            return runProgram(
                QStringLiteral("smbclient"),
                smbclient + QStringList{QStringLiteral("mkdir small; cd small; lcd %1/small; prompt OFF; "
                                                       "recurse ON; mput *")
                                            .arg(source)});
        });
    printRow(qPrintable(QStringLiteral("%1 files").arg(fileCount)), oursSmbSmall, putSmall, "smbclient",
             small.bytes);
    connection.Disconnect(true);
    server.stop();
    QDir(work).removeRecursively();
    return 0;
}
