#include "EngineTestSupport.h"

#include "engine/CatalogFile.h"
#include "options/uOptions.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

using namespace TestEnvironment;

void ConfigureJob(TJob_FilesAndFolders& job, TBackupType type, const QStringList& sources)
{
    job.Settings.Backup.BackupType = type;
    job.NewSubfolderIsCreatedForEachBackup = type != btSync;
    job.Settings.Sources.List = sources;
}

void EngineTest::SetUp()
{
    prepareRun(QDateTime(QDate(2024, 6, 30), QTime(21, 5, 0)), 20);
    GlobalOptions.Processing.RemovePreviousBackupIfCancelled = true;
    job = std::make_unique<TJob_FilesAndFolders>("Docs job");
    job->DestinationType = dtExternalDevice;
    job->DestinationPath = destinationFolder;
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
