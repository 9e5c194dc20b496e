// "stop job" against a backup that the tool is running in another process.
#include "support/TestEnvironment.h"
#include "ToolRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(ImageToolStop, StopsARunningBackupWhichRemovesItsUnfinishedVersion)
{
    qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "");
    const QString folder = TestEnvironment::makeFolder("stop");
    const QString target = folder + "/target";
    QDir().mkpath(target);
    // 16 GiB that take no disk space: data here and there, holes between; every byte is still hashed.
    const QString volume = folder + "/big.raw";
    {
        QFile file(volume);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (qint64 at = 0; at < (qint64(16) << 30); at += qint64(1) << 30) {
            file.seek(at);
            file.write(QByteArray(64 * 1024, 'd'));
        }
        ASSERT_TRUE(file.resize(qint64(16) << 30));
    }

    QProcess backup;
    backup.setProcessChannelMode(QProcess::MergedChannels);
    backup.start(ToolRunner::ToolPath(), {"start", "backup", "-backupTarget:" + target, "-include:" + volume,
                                          "-allCritical", "-quiet"});
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!output.contains(", copied (") && waited.elapsed() < 60000 &&
           backup.state() != QProcess::NotRunning) {
        backup.waitForReadyRead(100);
        output += backup.readAll();
    }
    ASSERT_TRUE(output.contains(", copied (")) << output.toStdString();
    ASSERT_EQ(backup.state(), QProcess::Running) << "the backup ended before it could be stopped";

    const TToolRun second =
        ToolRunner::Run({"start", "backup", "-backupTarget:" + target, "-include:" + volume});
    EXPECT_EQ(second.ExitCode, 6);
    EXPECT_EQ(second.LinesWith("Another backup or recovery operation is in progress").size(), 1);

    const TToolRun stop = ToolRunner::Run({"stop", "job", "-quiet"});
    EXPECT_EQ(stop.ExitCode, 0) << stop.Lines.join('\n').toStdString();
    EXPECT_EQ(stop.LinesWith("was stopped").size(), 1) << stop.Lines.join('\n').toStdString();

    ASSERT_TRUE(backup.waitForFinished(60000));
    output += backup.readAll();
    const QStringList lines = ToolRunner::SplitLines(output);
    EXPECT_EQ(backup.exitCode(), 5);
    EXPECT_EQ(lines.last(), "The backup operation was stopped before it completed.");
    EXPECT_TRUE(lines.filter("ERROR").isEmpty());
    const QDir hostFolders(target + "/ZorvanImageBackup");
    for (const QString& host : hostFolders.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_TRUE(QDir(hostFolders.filePath(host)).isEmpty()) << "the unfinished version is removed";

    const TToolRun idle = ToolRunner::Run({"stop", "job", "-quiet"});
    EXPECT_EQ(idle.ExitCode, 0);
    EXPECT_EQ(idle.LinesWith("There is no backup or recovery operation in progress.").size(), 1);
}

} // namespace
