// The key test of backup and restore together: a seeded generator evolves a source tree over several
// runs (new, changed and deleted files and folders, nested and non-ASCII names, empty files, a file
// larger than the copy chunk, paths that turn from file to folder and back), a snapshot of the sources
// is taken at every run, and at the end every kept restore point is restored into an empty folder and
// compared with the snapshot of its run: paths, contents, last-write times and permission bits.
// Set ZORVAN_ROUNDTRIP_SEED to replay a failing seed.
#include "RestoreTestSupport.h"

#include "base/Clock.h"
#include "platform/CopyFile.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <random>
#include <sys/stat.h>

using namespace TestEnvironment;

namespace {

constexpr int kRuns = 8;

struct Entry
{
    bool isFolder = false;
    QByteArray content;
    qint64 mtimeMs = 0;
    unsigned mode = 0;
};
using Snapshot = std::map<QString, Entry>;

unsigned modeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

Snapshot snapshotOf(const QString& folder)
{
    Snapshot snapshot;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        Entry entry;
        entry.isFolder = it.fileInfo().isDir();
        if (!entry.isFolder) {
            entry.content = readFile(path);
            entry.mtimeMs = it.fileInfo().lastModified().toMSecsSinceEpoch();
            entry.mode = modeOf(path);
        }
        snapshot[path.mid(folder.size() + 1)] = entry;
    }
    return snapshot;
}

// Every difference between what a point should hold and what its restore produced, one per line.
QStringList differences(const Snapshot& expected, const Snapshot& restored, bool unixModes)
{
    QStringList found;
    for (const auto& [path, want] : expected) {
        const auto got = restored.find(path);
        if (got == restored.end()) {
            found.append("missing: " + path);
            continue;
        }
        if (want.isFolder != got->second.isFolder) {
            found.append("kind differs: " + path);
            continue;
        }
        if (want.isFolder)
            continue;
        if (want.content != got->second.content)
            found.append(QStringLiteral("content differs: %1 (%2 bytes, restored %3)")
                             .arg(path)
                             .arg(want.content.size())
                             .arg(got->second.content.size()));
        if (want.mtimeMs != got->second.mtimeMs)
            found.append(
                QStringLiteral("last-write time differs: %1 (%2, restored %3)")
                    .arg(path, QDateTime::fromMSecsSinceEpoch(want.mtimeMs).toString(Qt::ISODateWithMs),
                         QDateTime::fromMSecsSinceEpoch(got->second.mtimeMs).toString(Qt::ISODateWithMs)));
        // A share keeps only the read-only attribute of the permission bits.
        const unsigned wantMode = unixModes ? want.mode : ((want.mode & 0222) ? 0644u : 0444u);
        if (wantMode != got->second.mode)
            found.append(QStringLiteral("permissions differ: %1 (%2, restored %3)")
                             .arg(path)
                             .arg(wantMode, 0, 8)
                             .arg(got->second.mode, 0, 8));
    }
    for (const auto& [path, entry] : restored) {
        if (expected.find(path) == expected.end())
            found.append("unexpected: " + path);
    }
    return found;
}

// Evolves the source tree: two folder sources and one single-file source, which always exist.
class TreeEvolver
{
public:
    TreeEvolver(const QString& root, quint64 seed) : root(root), rng(seed) {}

    static inline const QStringList kFolderSources = {"Data", QStringLiteral("Ünïcödé Ordner")};
    static inline const QString kSingleFile = QStringLiteral("single file.txt");
    static inline const QString kBigFile = QStringLiteral("Data/big.bin");

    void initial()
    {
        for (const QString& source : kFolderSources)
            QDir().mkpath(root + '/' + source);
        write(kSingleFile, randomContent(), pickMode());
        QByteArray big(kCopyChunkSize + 12345, '\0');
        for (char& c : big)
            c = char(rng());
        write(kBigFile, big, 0644);
        for (int i = 0; i < 12; ++i)
            addFile();
        QDir().mkpath(root + "/Data/empty folder");
    }

    void evolve(int run)
    {
        for (int i = between(2, 5); i > 0; --i)
            addFile();
        for (int i = between(1, 4); i > 0; --i)
            modifyFile();
        for (int i = between(0, 2); i > 0; --i)
            deleteFile();
        if (chance(30))
            deleteFolder();
        if (chance(30))
            recreateDeletedFile();
        if (chance(40))
            flipFileToFolder();
        if (chance(40))
            flipFolderToFile();
        if (chance(25))
            QDir().mkpath(root + '/' + pick(folders()) + '/' + newName());
        if (run == 3 || run == 6) {
            // A change inside the second chunk of the large file only.
            QByteArray big = readFile(root + '/' + kBigFile);
            for (int i = 0; i < 100; ++i)
                big[kCopyChunkSize + 100 + i] = char(rng());
            write(kBigFile, big, 0644);
        }
        if (chance(50))
            write(kSingleFile, randomContent(), pickMode());
    }

private:
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename T> T pick(const QList<T>& list) { return list.at(between(0, int(list.size()) - 1)); }

    QString newName()
    {
        static const QStringList pieces = {"a",
                                           "Report",
                                           QStringLiteral("日本語"),
                                           QStringLiteral("naïve"),
                                           QStringLiteral("Ærø"),
                                           "x y",
                                           QStringLiteral("straße"),
                                           ".hidden",
                                           QStringLiteral("€uro"),
                                           QStringLiteral("smile 😀"),
                                           "semi;colon"};
        QString name = pick(pieces) + '_' + QString::number(++counter);
        if (chance(50))
            name += pick(QStringList({".txt", ".bin", ".doc", ""}));
        return name;
    }

    QByteArray randomContent()
    {
        if (chance(20))
            return {};
        QByteArray content(between(1, 4096), '\0');
        for (char& c : content)
            c = char(rng());
        return content;
    }

    unsigned pickMode() { return pick(QList<unsigned>({0644, 0644, 0600, 0755, 0444, 0640})); }

    void write(const QString& relative, const QByteArray& content, unsigned mode)
    {
        const QString path = root + '/' + relative;
        if (QFileInfo::exists(path))
            ::chmod(QFile::encodeName(path).constData(), 0644);
        writeFile(path, content);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        // Every write gets its own last-write time, with milliseconds.
        stamp = stamp.addMSecs(60000 + between(1, 999));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        file.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
    }

    QStringList walk(bool wantFolders) const
    {
        QStringList found;
        for (const QString& source : kFolderSources) {
            QDirIterator it(root + '/' + source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                if (it.fileInfo().isDir() == wantFolders && path.mid(root.size() + 1) != kBigFile)
                    found.append(path.mid(root.size() + 1));
            }
        }
        found.sort();
        return found;
    }
    QStringList files() const { return walk(false); }
    QStringList folders() const { return walk(true) + kFolderSources; }
    QStringList innerFolders() const { return walk(true); }

    void addFile()
    {
        QString parent = pick(folders());
        for (int depth = chance(35) ? between(1, 3) : 0; depth > 0; --depth)
            parent += '/' + newName();
        write(parent + '/' + newName(), randomContent(), pickMode());
    }
    void modifyFile()
    {
        const QStringList all = files();
        if (!all.isEmpty())
            write(pick(all), randomContent(), pickMode());
    }
    void deleteFile()
    {
        const QStringList all = files();
        if (all.isEmpty())
            return;
        const QString gone = pick(all);
        QFile::remove(root + '/' + gone);
        deleted.append(gone);
    }
    void deleteFolder()
    {
        const QStringList all = innerFolders();
        if (!all.isEmpty())
            QDir(root + '/' + pick(all)).removeRecursively();
    }
    void recreateDeletedFile()
    {
        if (deleted.isEmpty())
            return;
        const QString again = pick(deleted);
        const QFileInfo info(root + '/' + again);
        if (info.dir().exists() && !info.exists())
            write(again, randomContent(), pickMode());
    }
    void flipFileToFolder()
    {
        const QStringList all = files();
        if (all.isEmpty())
            return;
        const QString path = pick(all);
        QFile::remove(root + '/' + path);
        write(path + '/' + newName(), randomContent(), pickMode());
    }
    void flipFolderToFile()
    {
        const QStringList all = innerFolders();
        if (all.isEmpty())
            return;
        const QString path = pick(all);
        QDir(root + '/' + path).removeRecursively();
        write(path, randomContent(), pickMode());
    }

    QString root;
    std::mt19937_64 rng;
    int counter = 0;
    QDateTime stamp = QDateTime(QDate(2021, 5, 1), QTime(9, 0, 0));
    QStringList deleted;
};

quint64 chosenSeed()
{
    const QByteArray fixed = qgetenv("ZORVAN_ROUNDTRIP_SEED");
    if (!fixed.isEmpty())
        return fixed.toULongLong();
    return std::random_device()();
}

using RoundTripParam = std::tuple<TBackupType, RestoreDestination>;

class RoundTripTest : public RestoreTest, public ::testing::WithParamInterface<RoundTripParam>
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        type = std::get<0>(GetParam());
        smbDestination = std::get<1>(GetParam()) == RestoreDestination::Smb;
        ZORVAN_SKIP_UNLESS(!smbDestination || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        job->Settings.Backup.BackupType = type;
        job->NewSubfolderIsCreatedForEachBackup = type != btSync;
        job->Settings.Backup.PerformFullBackup_EveryCopies = 2;
        job->Settings.Backup.NumberFullCopiesToKeep = type == btInc ? 2 : 3;
        job->Settings.Sources.List = {sourceRoot + "/Data/*",
                                      sourceRoot + QStringLiteral("/Ünïcödé Ordner/*"),
                                      sourceRoot + "/single file.txt"};
        GlobalOptions.Processing.SkipHiddenSystemFiles = false;
        GlobalOptions.ExcludedDirs.clear();
    }

    void backup()
    {
        runBackup();
        ASSERT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
        ASSERT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    }

    // Restores point `index` (or the mirror) into a new folder and compares it with `expected`.
    void restoreAndCompare(qint32 index, const Snapshot& expected, const QString& what)
    {
        ui.outputFolder = freshOutput();
        ui.point = index;
        restore();
        ASSERT_FALSE(job->LastJobResult.Cancelled) << what.toStdString() << '\n'
                                                   << logLines().join('\n').toStdString();
        EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << what.toStdString();
        const QStringList found = differences(expected, snapshotOf(ui.outputFolder), !smbDestination);
        EXPECT_TRUE(found.isEmpty()) << what.toStdString() << ":\n" << found.join('\n').toStdString();
    }

    TBackupType type = btInc;
    bool smbDestination = false;
};

TEST_P(RoundTripTest, EveryKeptPointRestoresTheSourcesOfItsRun)
{
    const quint64 seed = chosenSeed();
    SCOPED_TRACE(QStringLiteral("seed %1 (replay with ZORVAN_ROUNDTRIP_SEED=%1)").arg(seed).toStdString());
    TreeEvolver tree(sourceRoot, seed);
    tree.initial();

    std::map<QString, Snapshot> byPoint;
    QStringList created;
    for (int run = 0; run < kRuns; ++run) {
        if (run > 0)
            tree.evolve(run);
        const Snapshot sources = snapshotOf(sourceRoot);
        ASSERT_NO_FATAL_FAILURE(backup()) << "run " << run;
        if (type == btSync) {
            // The mirror has a single state: the one of the last run.
            ASSERT_NO_FATAL_FAILURE(
                restoreAndCompare(-1, sources, QStringLiteral("mirror after run %1").arg(run)));
            EXPECT_FALSE(ui.chooserShown);
            continue;
        }
        const QString point = storedBookkeeping().MainBackupList.last();
        created.append(point);
        byPoint[point] = sources;
    }
    if (type == btSync)
        return;

    const QStringList kept = storedBookkeeping().MainBackupList.mid(1);
    ASSERT_LT(kept.size(), created.size()) << "retention dropped no point";
    for (qint32 i = 0; i < kept.size(); ++i) {
        ASSERT_TRUE(byPoint.count(kept[i])) << kept[i].toStdString();
        ASSERT_NO_FATAL_FAILURE(restoreAndCompare(i, byPoint[kept[i]], "point " + kept[i]));
    }
    // Dropped points are neither offered nor left on the storage.
    QStringList offered = ui.labels;
    for (const QString& point : std::as_const(created)) {
        if (kept.contains(point))
            continue;
        EXPECT_FALSE(offered.contains(QString(point).replace(';', ':'))) << point.toStdString();
        EXPECT_FALSE(QFileInfo::exists(stored(point))) << point.toStdString();
    }
    EXPECT_EQ(offered.size(), kept.size());
}

std::string paramName(const ::testing::TestParamInfo<RoundTripParam>& info)
{
    const char* const types[] = {"Mirror", "Full", "Incremental"};
    return std::string(types[std::get<0>(info.param)]) +
           (std::get<1>(info.param) == RestoreDestination::Local ? "Local" : "Smb");
}

INSTANTIATE_TEST_SUITE_P(TypesAndDestinations, RoundTripTest,
                         ::testing::Combine(::testing::Values(btSync, btFull, btInc),
                                            ::testing::Values(RestoreDestination::Local,
                                                              RestoreDestination::Smb)),
                         paramName);

} // namespace
