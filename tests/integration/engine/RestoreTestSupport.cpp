#include "RestoreTestSupport.h"

#include "base/Clock.h"
#include "engine/CatalogFile.h"
#include "events/EventsLog.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

using namespace TestEnvironment;

bool ScriptedRestoreUi::ChooseOutputFolder(QString& folder)
{
    ++folderAsked;
    folder = outputFolder;
    return !outputFolder.isEmpty();
}

bool ScriptedRestoreUi::ChooseRestorePoint(const QStringList& shown, qint32& index)
{
    chooserShown = true;
    labels = shown;
    if (point == kCancel)
        return false;
    index = point == kLatest ? qint32(shown.size() - 1) : point;
    return index >= 0;
}

void RestoreTest::SetUp()
{
    prepareRun(QDateTime(QDate(2024, 7, 1), QTime(10, 0, 0)), 50);
    job = std::make_unique<TJob_FilesAndFolders>("Docs job");
    job->DestinationType = dtExternalDevice;
    job->DestinationPath = destinationFolder;
    job->Settings.Backup.BackupType = btInc;
    QDir().mkpath(backupRoot());
    ui.outputFolder = freshOutput();
}

bool RestoreTest::useSmbDestination()
{
    if (!JobRunFixture::useSmbDestination())
        return false;
    QDir().mkpath(backupRoot());
    return true;
}

void RestoreTest::writePoint(const HandMadePoint& point)
{
    const QString folder = stored(point.name);
    QDir().mkpath(folder);
    for (const QString& dir : point.folders)
        QDir().mkpath(folder + '/' + dir);
    for (auto it = point.files.begin(); it != point.files.end(); ++it)
        writeFile(folder + '/' + it.key(), it.value());
    ASSERT_TRUE(WriteCatalogFile(folder + "/_rf.obl", point.files.keys()));
    ASSERT_TRUE(WriteCatalogFile(folder + "/_rd.obl", point.folders));
    ASSERT_TRUE(WriteCatalogFile(folder + "/_rrf.obl", point.removedFiles));
    ASSERT_TRUE(WriteCatalogFile(folder + "/_rrd.obl", point.removedFolders));
}

void RestoreTest::writeRemoteJobFile(const QStringList& mainBackupList, const QStringList& files,
                                     const QStringList& dirs)
{
    TRemoteBookkeeping bookkeeping;
    bookkeeping.MainBackupList = mainBackupList;
    bookkeeping.PreviousLocalFilesList = files;
    for (qsizetype i = 0; i < files.size(); ++i)
        bookkeeping.PreviousLocalFilesTimeList.append("2024-01-01 00:00:00:000");
    bookkeeping.PreviousLocalDirsList = dirs;
    job->SaveRemoteJobFile(backupRoot() + ".kxj", bookkeeping);
    ASSERT_TRUE(QFileInfo::exists(backupRoot() + ".kxj"));
}

void RestoreTest::writeStartFlag(const QStringList& lines)
{
    ASSERT_TRUE(WriteCatalogFile(stored("_startflag.obl"), lines));
}

bool RestoreTest::WriteCatalogFileFor(const QString& point, const QString& catalog,
                                      const QStringList& entries)
{
    return WriteCatalogFile(stored(point + '/' + catalog), entries);
}

void RestoreTest::restore()
{
    ASSERT_TRUE(job->isIdle());
    ASSERT_TRUE(job->Restore(ui));
    waitUntilIdle();
    Clock::advanceTestTime(60 * 1000);
}

QString RestoreTest::freshOutput()
{
    return makeFolder("output");
}

QStringList RestoreTest::savedLogs() const
{
    return QDir(logFolder + '/' + job->stJobName).entryList(QDir::Files, QDir::Name);
}

bool RestoreTest::eventQueued(const QString& text)
{
    const QStringList events = EventsQueue().takeAll();
    for (const QString& line : events) {
        if (line.endsWith(": " + text))
            return true;
    }
    return false;
}
