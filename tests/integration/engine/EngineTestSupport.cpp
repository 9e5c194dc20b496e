#include "EngineTestSupport.h"

#include "engine/CatalogFile.h"
#include "jobs/JobPaths.h"
#include "options/uOptions.h"
#include "base/Clock.h"
#include "platform/StandardFolders.h"
#include "support/SmbDestination.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>

#include <chrono>
#include <thread>

using namespace TestEnvironment;

std::unique_ptr<SmbServer> EngineTest::smb;

void ConfigureJob(TJob_FilesAndFolders& job, TBackupType type, const QStringList& sources)
{
    job.Settings.Backup.BackupType = type;
    job.NewSubfolderIsCreatedForEachBackup = type != btSync;
    job.Settings.Sources.List = sources;
}

void EngineTest::SetUp()
{
    Clock::setTestTime(QDateTime(QDate(2024, 6, 30), QTime(21, 5, 0)));
    sourceRoot = makeFolder("source");
    destinationFolder = makeFolder("destination");
    QDir().mkpath(StandardFolders::applicationDataFolder());
    GlobalOptions = TOptions();
    GlobalOptions.General.PathForTempFiles = makeFolder("tempfiles") + "/ZorvanBackupTmp";
    GlobalOptions.Logging.PathForLogFiles = makeFolder("logs");
    GlobalOptions.Logging.MaxNumberOfLogsForEachJob = 20;
    GlobalOptions.Logging.MaxNumberOfLinesInHistory = 500;
    GlobalOptions.Processing.IfDestinationNotAvailable_Retry_Times = 0;
    GlobalOptions.Processing.IfDestinationNotAvailable_Wait_Sec = 0;
    GlobalOptions.Processing.IfDestinationNotAvailable_Then = 0;
    GlobalOptions.Processing.RemovePreviousBackupIfCancelled = true;
    job = std::make_unique<TJob_FilesAndFolders>("Docs job");
    job->DestinationType = dtExternalDevice;
    job->DestinationPath = destinationFolder;
}

void EngineTest::TearDown()
{
    if (job && !job->isIdle()) {
        job->Cancel();
        waitUntilIdle();
    }
    Clock::resetTestTime();
}

bool EngineTest::useSmbDestination()
{
    if (!UseSmbDestination(smb, *job, destinationFolder))
        return false;
    return true;
}

bool EngineTest::waitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 3000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

void EngineTest::startBackup()
{
    ASSERT_TRUE(job->isIdle());
    ASSERT_TRUE(job->Backup());
}

void EngineTest::waitUntilIdle()
{
    ASSERT_TRUE(waitFor([this] { return job->isIdle(); }))
        << "the run did not end: status " << int(job->JobStatus.load()) << "\n"
        << logLines().join(QLatin1Char('\n')).toStdString();
}

void EngineTest::runBackup()
{
    startBackup();
    waitUntilIdle();
    Clock::advanceTestTime(60 * 1000);
}

void EngineTest::setMtime(const QString& path, const QDateTime& mtime)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    ASSERT_TRUE(file.setFileTime(mtime, QFileDevice::FileModificationTime));
}

QString EngineTest::writeSource(const QString& relativePath, const QByteArray& content, QDateTime mtime)
{
    const QString path = sourceRoot + '/' + relativePath;
    writeFile(path, content);
    if (!mtime.isValid())
        mtime = QDateTime(QDate(2020, 1, 1), QTime(8, 0, 0)).addMSecs(++mtimeCounter * 1001);
    setMtime(path, mtime);
    return path;
}

QStringList EngineTest::treeOf(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = path.mid(folder.size() + 1);
        entries.append(it.fileInfo().isDir() ? rel + '/' : rel);
    }
    entries.sort();
    return entries;
}

TRemoteBookkeeping EngineTest::storedBookkeeping()
{
    TRemoteBookkeeping stored;
    TJob_FilesAndFolders reader("reader");
    EXPECT_TRUE(QFile::exists(backupRoot() + ".kxj"));
    reader.LoadRemoteJobFile(backupRoot() + ".kxj", false, stored);
    return stored;
}

bool EngineTest::logHas(const QString& text) const
{
    return !logLineWith(text).isNull();
}

QString EngineTest::logLineWith(const QString& text) const
{
    const QStringList lines = logLines();
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines[i].contains(text))
            return lines[i];
    }
    return QString();
}

QString EngineTest::subfolder(int minute, const char* kind)
{
    return QStringLiteral("2024-06-30 21;%1;00 (%2)").arg(minute, 2, 10, QLatin1Char('0')).arg(kind);
}

QStringList EngineTest::catalog(const QString& path)
{
    QStringList entries;
    EXPECT_TRUE(ReadCatalogFile(path, entries)) << path.toStdString();
    entries.sort();
    return entries;
}
