#include "support/JobRunFixture.h"

#include "base/Clock.h"
#include "events/EventsLog.h"
#include "options/uOptions.h"
#include "platform/StandardFolders.h"
#include "support/SmbDestination.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>

using namespace TestEnvironment;

std::unique_ptr<SmbServer> JobRunFixture::smb;

void JobRunFixture::prepareRun(const QDateTime& now, int logsPerJob)
{
    Clock::setTestTime(now);
    EventsQueue().takeAll();
    sourceRoot = makeFolder("source");
    destinationFolder = makeFolder("destination");
    QDir().mkpath(StandardFolders::applicationDataFolder());
    GlobalOptions = TOptions();
    GlobalOptions.General.PathForTempFiles = makeFolder("tempfiles") + "/ZorvanBackupTmp";
    logFolder = makeFolder("logs");
    GlobalOptions.Logging.PathForLogFiles = logFolder;
    GlobalOptions.Logging.MaxNumberOfLogsForEachJob = logsPerJob;
    GlobalOptions.Logging.MaxNumberOfLinesInHistory = 500;
    GlobalOptions.Processing.IfDestinationNotAvailable_Retry_Times = 0;
    GlobalOptions.Processing.IfDestinationNotAvailable_Wait_Sec = 0;
    GlobalOptions.Processing.IfDestinationNotAvailable_Then = 0;
}

void JobRunFixture::TearDown()
{
    if (runJob() && !runJob()->isIdle()) {
        runJob()->Cancel();
        waitUntilIdle();
    }
    Clock::resetTestTime();
}

bool JobRunFixture::useSmbDestination()
{
    return UseSmbDestination(smb, *runJob(), destinationFolder);
}

bool JobRunFixture::waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (condition())
            return true;
        QThread::msleep(10);
    }
    return condition();
}

void JobRunFixture::startBackup()
{
    ASSERT_TRUE(runJob()->isIdle());
    ASSERT_TRUE(startJobBackup());
}

void JobRunFixture::waitUntilIdle()
{
    ASSERT_TRUE(waitFor([this] { return runJob()->isIdle(); }, runTimeoutMs))
        << "the run did not end: status " << int(runJob()->JobStatus.load()) << "\n"
        << logLines().join(QLatin1Char('\n')).toStdString();
}

void JobRunFixture::runBackup()
{
    startBackup();
    if (HasFatalFailure())
        return;
    waitUntilIdle();
    Clock::advanceTestTime(60 * 1000);
}

QString JobRunFixture::backupRoot() const
{
    return destinationFolder + '/' + runJob()->stJobName;
}

TRemoteBookkeeping JobRunFixture::storedBookkeeping() const
{
    TRemoteBookkeeping stored;
    TJob_FilesAndFolders reader("reader");
    EXPECT_TRUE(QFile::exists(backupRoot() + ".kxj"));
    reader.LoadRemoteJobFile(backupRoot() + ".kxj", false, stored);
    return stored;
}

QStringList JobRunFixture::treeOf(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = path.mid(folder.size() + 1);
        entries.append(it.fileInfo().isDir() && !it.fileInfo().isSymLink() ? rel + '/' : rel);
    }
    entries.sort();
    return entries;
}

int JobRunFixture::logCount(const QString& text) const
{
    int count = 0;
    for (const QString& line : logLines())
        count += line.contains(text) ? 1 : 0;
    return count;
}

QString JobRunFixture::logLineWith(const QString& text) const
{
    const QStringList lines = logLines();
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines[i].contains(text))
            return lines[i];
    }
    return QString();
}
