// Copy workers: a run that copies its small files on several workers records, checksums and logs
// exactly what a run that copies every file itself does; and a run with several workers that is
// paused and then cancelled midway leaves nothing half written, so that the next run restores whole.
#include "RestoreTestSupport.h"

#include "base/Clock.h"
#include "engine/CatalogFile.h"
#include "engine/ChecksumFile.h"
#include "engine/CopyPool.h"
#include "platform/CopyFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

using namespace TestEnvironment;

namespace {

const QDateTime kStart(QDate(2024, 7, 1), QTime(10, 0, 0));

// Content of `size` bytes that differs from file to file.
QByteArray contentOf(int seed, qint64 size)
{
    QByteArray bytes(size, '\0');
    quint32 x = quint32(seed) * 2654435761u + 1;
    for (qint64 i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = char(x >> 24);
    }
    return bytes;
}

QStringList temporaryNamesBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (IsTemporaryNameBeside(it.fileName()))
            found.append(it.filePath());
    }
    return found;
}

class CopyWorkersTest : public RestoreTest, public ::testing::WithParamInterface<TBackupType>
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        job->Settings.Backup.BackupType = GetParam();
        job->NewSubfolderIsCreatedForEachBackup = GetParam() != btSync;
        job->Settings.Backup.PerformFullBackup_EveryCopies = 10;
        job->Settings.Sources.List = {sourceRoot + "/Data/*", sourceRoot + "/lone.txt"};
        GlobalOptions.Processing.SkipHiddenSystemFiles = false;
        GlobalOptions.Processing.VerifyCopiesAfterBackup = true;
    }
    void TearDown() override
    {
        RestoreTest::TearDown();
        SetCopyWorkers(0);
    }

    void write(const QString& relative, int seed, qint64 size)
    {
        const QString path = sourceRoot + '/' + relative;
        writeFile(path, contentOf(seed, size));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(8, 0)).addSecs(seed),
                                     QFileDevice::FileModificationTime));
    }

    // Folders of files of many sizes (so that the workers finish out of order), a file above the
    // workers' size in the middle of one of them, nested folders and empty files.
    void writeFirstTree()
    {
        QDir(sourceRoot).removeRecursively();
        QDir().mkpath(sourceRoot);
        write("lone.txt", 1, 10);
        for (int folder = 0; folder < 5; ++folder) {
            for (int i = 0; i < 40; ++i) {
                const int seed = folder * 100 + i + 2;
                const QString name =
                    QStringLiteral("Data/f%1/%2file %3.bin").arg(folder).arg(i % 3 ? "" : "deep/").arg(i);
                write(name, seed, (qint64(seed) * 7919) % 200000 * (i % 7 == 0 ? 0 : 1));
            }
        }
        write("Data/f2/large.bin", 999, kCopyChunkSize + 4096);
    }

    // Changed, added and removed files, a new folder, and a file and a folder that change kind.
    void changeTree()
    {
        for (int i = 0; i < 40; i += 5)
            write(QStringLiteral("Data/f1/file %1.bin").arg(i + 1), 5000 + i, 3000 + i);
        for (int i = 0; i < 30; ++i)
            write(QStringLiteral("Data/new/sub/n%1.txt").arg(i), 6000 + i, 100 * i);
        QFile::remove(sourceRoot + "/Data/f3/file 4.bin");
        QDir(sourceRoot + "/Data/f4/deep").removeRecursively();
        write("Data/f4/deep", 7000, 64);
        QFile::remove(sourceRoot + "/Data/f0/file 1.bin");
        write("Data/f0/file 1.bin/inside.txt", 7001, 64);
    }

    // What a run left that must not depend on the number of workers: the run log without its times,
    // the lists of the remote job file, the point's catalogs and the checksums file.
    QStringList recordOfRun()
    {
        QStringList record;
        static const QRegularExpression time(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d( [AP]M)?: "));
        for (QString line : logLines())
            record.append("log: " + line.remove(time));
        const TRemoteBookkeeping stored = storedBookkeeping();
        for (qsizetype i = 0; i < stored.PreviousLocalFilesList.size(); ++i)
            record.append("file: " + stored.PreviousLocalFilesList.at(i) + ' ' +
                          stored.PreviousLocalFilesTimeList.value(i));
        for (const QString& dir : stored.PreviousLocalDirsList)
            record.append("dir: " + dir);
        const QString point = GetParam() == btSync ? QString() : stored.MainBackupList.last();
        if (!point.isEmpty()) {
            for (const char* name : {"_rf.obl", "_rd.obl", "_rrf.obl", "_rrd.obl"}) {
                QStringList entries;
                EXPECT_TRUE(ReadCatalogFile(this->stored(point + '/' + name), entries));
                record.append(QString::fromLatin1(name) + ": " + entries.join('|'));
            }
        }
        record.append(
            "checksums: " +
            readFile(this->stored(point.isEmpty() ? kChecksumFileName : point + '/' + kChecksumFileName))
                .toHex());
        return record;
    }

    // Two runs (a first one and one after changes) from an empty storage with `workers` workers.
    QStringList recordOfTwoRuns(int workers)
    {
        SetCopyWorkers(workers);
        QDir(destinationFolder).removeRecursively();
        QDir().mkpath(backupRoot());
        Clock::setTestTime(kStart);
        writeFirstTree();
        runBackup();
        EXPECT_FALSE(job->LastJobResult.Cancelled);
        EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
        QStringList record = recordOfRun();
        changeTree();
        runBackup();
        EXPECT_FALSE(job->LastJobResult.Cancelled);
        EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
        record += recordOfRun();
        return record;
    }
};

TEST_P(CopyWorkersTest, FourWorkersRecordAndLogWhatOneDoes)
{
    const QStringList one = recordOfTwoRuns(1);
    const QStringList four = recordOfTwoRuns(4);
    ASSERT_GT(one.size(), 400);
    for (qsizetype i = 0; i < std::max(one.size(), four.size()); ++i) {
        ASSERT_EQ(one.value(i).toStdString(), four.value(i).toStdString()) << "line " << i;
    }
    if (GetParam() == btSync) {
        EXPECT_EQ(filesBelow(backupRoot() + "/Data"), filesBelow(sourceRoot + "/Data"));
    }
}

TEST_P(CopyWorkersTest, APausedThenCancelledRunLeavesNoHalfFileAndTheNextRestoresWhole)
{
    SetCopyWorkers(4);
    write("lone.txt", 1, 10);
    for (int i = 0; i < 6000; ++i)
        write(QStringLiteral("Data/d%1/file %2.txt").arg(i / 100).arg(i), i + 2, 1024 + (i * 37) % 4096);
    startBackup();
    ASSERT_TRUE(waitFor([this] { return job->CurrentBackupFilesProcessed.load() >= 100; }));
    job->Pause();
    ASSERT_EQ(job->JobStatus.load(), jsPaused) << "the run ended before the pause";
    ASSERT_TRUE(waitFor([this] { return job->WaitingWhilePaused.load(); }));
    // Held: the copies that were under way end, and no other starts.
    QThread::msleep(300);
    const qint64 held = job->CurrentBackupFilesProcessed.load();
    QThread::msleep(300);
    EXPECT_EQ(job->CurrentBackupFilesProcessed.load(), held);
    job->SetStatus(jsRunning);
    ASSERT_TRUE(waitFor([&] { return job->CurrentBackupFilesProcessed.load() >= held + 200; }));
    job->Cancel();
    waitUntilIdle();
    ASSERT_TRUE(job->LastJobResult.Cancelled) << "the run ended before the cancel";
    EXPECT_EQ(temporaryNamesBelow(backupRoot()), QStringList());
    if (GetParam() == btSync) {
        // Whatever the mirror holds under a source's name is that source whole.
        const QMap<QString, QByteArray> sources = filesBelow(sourceRoot + "/Data");
        const QMap<QString, QByteArray> stored = filesBelow(backupRoot() + "/Data");
        EXPECT_LT(stored.size(), sources.size());
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            EXPECT_EQ(it.value(), sources.value(it.key())) << it.key().toStdString();
    }

    Clock::advanceTestTime(60 * 1000);
    runBackup();
    ASSERT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
    ASSERT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
    EXPECT_EQ(temporaryNamesBelow(backupRoot()), QStringList());
    ui.point = ScriptedRestoreUi::kLatest;
    restore();
    ASSERT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
    EXPECT_EQ(job->LastJobResult.ErrorsCount, 0);
    EXPECT_EQ(filesBelow(ui.outputFolder), filesBelow(sourceRoot));
}

INSTANTIATE_TEST_SUITE_P(Types, CopyWorkersTest, ::testing::Values(btSync, btInc),
                         [](const ::testing::TestParamInfo<TBackupType>& info) {
                             return std::string(info.param == btSync ? "Mirror" : "Incremental");
                         });

} // namespace
