#include "DriveImageTestSupport.h"

#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <random>
#include <sys/mount.h>

using namespace TestEnvironment;

void DriveImageTest::SetUp()
{
    prepareRun(QDateTime(QDate(2026, 3, 9), QTime(7, 5, 0)), 20);
    runTimeoutMs = 300000;

    // Only the named volumes are imaged, never the system's own.
    qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "");
    const QString tools = makeFolder("elevation");
    elevatedLog = tools + "/elevated.txt";
    const QString recorder = tools + "/elevate";
    writeFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + elevatedLog.toUtf8() + "'\nexec \"$@\"\n");
    QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther |
                                        QFile::ReadOther);
    qputenv("ZORVAN_ELEVATE_COMMAND", recorder.toUtf8());

    volumes = makeFolder("volumes");
    drive = mountDrive("external drive", 1024);
    ZORVAN_SKIP_UNLESS(!drive.isEmpty(), "mounting a tmpfs needs root rights");
    job = std::make_unique<TJob_DriveImage>("Image job");
    job->DestinationType = dtExternalDevice;
    job->DestinationPath = drive + "/Backups";
    QDir().mkpath(job->DestinationPath);
}

void DriveImageTest::TearDown()
{
    JobRunFixture::TearDown();
    for (const QString& point : mounted)
        ::umount2(QFile::encodeName(point).constData(), MNT_DETACH);
    qunsetenv("ZORVAN_ELEVATE_COMMAND");
    qunsetenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES");
}

QString DriveImageTest::mountDrive(const QString& hint, int megabytes)
{
    const QString point = makeFolder(hint);
    const QByteArray options = "size=" + QByteArray::number(megabytes) + "m,mode=0777";
    if (::mount("tmpfs", QFile::encodeName(point).constData(), "tmpfs", 0, options.constData()) != 0)
        return {};
    mounted.append(point);
    return point;
}

void DriveImageTest::scribble(const QString& volume, qint64 offset, qint64 size, quint32 seed)
{
    std::mt19937_64 random(seed);
    QFile file(volume);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    // In pieces, so that a large volume never sits in memory as a whole.
    QByteArray bytes;
    for (qint64 done = 0; done < size; done += bytes.size()) {
        bytes.resize(std::min<qint64>(size - done, 16 << 20));
        for (qint64 i = 0; i + 8 <= bytes.size(); i += 8) {
            const quint64 value = random();
            memcpy(bytes.data() + i, &value, 8);
        }
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
}

QString DriveImageTest::makeVolume(const QString& name, qint64 size, quint32 seed)
{
    const QString path = volumes + '/' + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(file.resize(size)); // a hole from end to end
    file.close();
    // data | hole | data | written zeros | hole ... | one byte of data at the very end
    const qint64 quarter = size / 4;
    scribble(path, 0, quarter, seed);
    scribble(path, 2 * quarter, quarter / 2, seed + 1);
    QFile zeros(path);
    EXPECT_TRUE(zeros.open(QIODevice::ReadWrite));
    zeros.seek(2 * quarter + quarter / 2);
    zeros.write(QByteArray(quarter / 2, '\0'));
    zeros.seek(size - 1);
    zeros.write("Z", 1);
    return path;
}

ToolResult DriveImageTest::runTool(const QStringList& arguments, const QHash<QString, QString>& environment)
{
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        variables.insert(it.key(), it.value());
    process.setProcessEnvironment(variables);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(toolPath(), arguments);
    ToolResult result;
    if (!process.waitForFinished(300000))
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

namespace {
QStringList versionFolders(const QString& drive, const QString& pattern)
{
    const QDir root(drive + "/ZorvanImageBackup");
    const QRegularExpression expression(pattern);
    QStringList found;
    for (const QString& host : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& name : QDir(root.filePath(host)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (expression.match(name).hasMatch())
                found.append(name);
    return found;
}
} // namespace

QStringList DriveImageTest::versionsOn(const QString& drive)
{
    return versionFolders(drive, "^\\d{4}-\\d\\d-\\d\\d \\d\\d;\\d\\d;\\d\\d$");
}

QStringList DriveImageTest::partialVersionsOn(const QString& drive)
{
    return versionFolders(drive, "\\.partial$");
}

QStringList DriveImageTest::elevatedCommands() const
{
    return QString::fromUtf8(readFile(elevatedLog)).split('\n', Qt::SkipEmptyParts);
}

QStringList DriveImageTest::logLinesWith(const QString& text) const
{
    return logLines().filter(text);
}
