// A volume file with known content and holes goes through backups, version clean-up and recovery by
// the real tool, as the drive image job drives it.
#include "support/TestEnvironment.h"
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr qint64 MiB = 1 << 20;

// 6 MiB: text at the start, 1 MiB of random bytes at 2 MiB, a byte at the very end, holes between.
QByteArray writeVolume(const QString& path)
{
    QByteArray content(6 * MiB, '\0');
    content.replace(0, 26, "abcdefghijklmnopqrstuvwxyz");
    QByteArray random(MiB, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(random.data()), MiB / 4);
    content.replace(2 * MiB, MiB, random);
    content[6 * MiB - 1] = '!';
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content.left(26));
    file.seek(2 * MiB);
    file.write(random);
    file.seek(6 * MiB - 1);
    file.write("!");
    return content;
}

qint64 allocatedBytes(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_blocks) * 512 : -1;
}

class BackupCycle : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "");
        folder = TestEnvironment::makeFolder("cycle");
        target = folder + "/My Backups";
        QDir().mkpath(target);
        volume = folder + "/disk.raw";
        content = writeVolume(volume);
    }

    TToolRun backup()
    {
        return ToolRunner::Run(
            {"start", "backup", "-backupTarget:" + target, "-include:" + volume, "-allCritical", "-quiet"});
    }

    QStringList versionNames()
    {
        const TToolRun run = ToolRunner::Run({"get", "versions", "-backupTarget:" + target});
        EXPECT_EQ(run.ExitCode, 0);
        QStringList names;
        for (const QString& line : run.LinesWith("Version identifier: "))
            names.append(line.mid(QStringLiteral("Version identifier: ").size()));
        return names;
    }

    TToolRun recover(const QString& version, const QString& item, const QString& to)
    {
        return ToolRunner::Run({"start", "recovery", "-version:" + version, "-items:" + item,
                                "-backupTarget:" + target, "-recoveryTarget:" + to, "-quiet"});
    }

    QString folder;
    QString target;
    QString volume;
    QByteArray content;
};

TEST_F(BackupCycle, BackupsCleanUpAndRecoveryByteForByte)
{
    const TToolRun first = backup();
    ASSERT_EQ(first.ExitCode, 0) << first.Lines.join('\n').toStdString();
    ASSERT_FALSE(first.Lines.isEmpty());
    EXPECT_TRUE(first.Lines[0].contains("Backup command-line tool") && first.Lines[0].contains("Copyright"));
    EXPECT_TRUE(first.LinesWith("ERROR").isEmpty());
    EXPECT_EQ(first.Lines.last(), "The backup operation successfully completed.");
    // Progress lines as the job parses them: the text before ", copied (" and a rising number.
    int last = -1;
    for (const QString& line : first.LinesWith(", copied (")) {
        QString subject;
        const int percent = ToolRunner::ProgressPercent(line, &subject);
        EXPECT_EQ(subject, "Creating a backup of volume " + volume);
        EXPECT_GE(percent, last) << line.toStdString();
        last = percent;
    }
    EXPECT_EQ(last, 100);

    // The second version holds a changed volume.
    {
        QFile file(volume);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(100);
        file.write("second version");
        content.replace(100, 14, "second version");
    }
    ASSERT_EQ(backup().ExitCode, 0);
    QStringList names = versionNames();
    ASSERT_EQ(names.size(), 2);

    const TToolRun deleted =
        ToolRunner::Run({"delete", "backup", "-backuptarget:" + target, "-keepversions:1", "-quiet"});
    EXPECT_EQ(deleted.ExitCode, 0);
    EXPECT_EQ(deleted.LinesWith("Deleting the backup version " + names[0]).size(), 1);
    EXPECT_EQ(versionNames(), QStringList{names[1]});

    // Into a new file, named by the volume's path; then over an existing larger file, by its name.
    const TToolRun recovered = recover(names[1], volume, folder + "/restored.raw");
    ASSERT_EQ(recovered.ExitCode, 0) << recovered.Lines.join('\n').toStdString();
    EXPECT_TRUE(TestEnvironment::readFile(folder + "/restored.raw") == content);
    EXPECT_LT(allocatedBytes(folder + "/restored.raw"), 2 * MiB) << "zero blocks are written as holes";

    TestEnvironment::writeFile(folder + "/old.raw", QByteArray(8 * MiB, 'x'));
    ASSERT_EQ(recover(names[1], "disk.raw", folder + "/old.raw").ExitCode, 0);
    EXPECT_TRUE(TestEnvironment::readFile(folder + "/old.raw") == content);

    EXPECT_EQ(ToolRunner::Run({"delete", "backup", "-backupTarget:" + target, "-keepVersions:0", "-quiet"})
                  .ExitCode,
              0);
    EXPECT_TRUE(versionNames().isEmpty());
}

TEST_F(BackupCycle, RecoveryChecksTheImageBeforeWritingAnything)
{
    ASSERT_EQ(backup().ExitCode, 0);
    const QString version = versionNames().value(0);
    const QString hostFolder =
        QDir(target + "/ZorvanImageBackup").entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
    const QString image = target + "/ZorvanImageBackup/" + hostFolder + "/" + version + "/disk.raw.img";
    QByteArray bytes = TestEnvironment::readFile(image);
    ASSERT_GT(bytes.size(), 1000);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
    TestEnvironment::writeFile(image, bytes);

    const TToolRun intoNew = recover(version, volume, folder + "/new.raw");
    EXPECT_NE(intoNew.ExitCode, 0);
    EXPECT_EQ(intoNew.LinesWith("ERROR").size(), 1) << intoNew.Lines.join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder + "/new.raw"));

    TestEnvironment::writeFile(folder + "/keep.raw", "precious");
    EXPECT_NE(recover(version, volume, folder + "/keep.raw").ExitCode, 0);
    EXPECT_EQ(TestEnvironment::readFile(folder + "/keep.raw"), "precious");

    const TToolRun unknown = recover(version, "/dev/nothing", folder + "/new.raw");
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_EQ(unknown.LinesWith("ERROR").size(), 1);
}

TEST_F(BackupCycle, MissingVolumesAndTargetsFailWithOneErrorLine)
{
    const QList<QStringList> failing = {
        {"start", "backup", "-backupTarget:" + target, "-include:" + folder + "/missing.raw", "-quiet"},
        {"start", "backup", "-backupTarget:" + folder + "/no-such-drive", "-include:" + volume, "-quiet"},
        {"start", "backup", "-backupTarget:" + target, "-include:" + folder, "-quiet"}, // a plain folder
        {"start", "backup", "-backupTarget://127.0.0.1:1/share", "-user:u", "-include:" + volume, "-quiet"},
    };
    for (const QStringList& arguments : failing) {
        const TToolRun run = ToolRunner::Run(arguments);
        EXPECT_EQ(run.ExitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.LinesWith("ERROR").size(), 1) << run.Lines.join('\n').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "/no-such-drive")) << "a missing target is never created";
    EXPECT_EQ(ToolRunner::Run({"start", "backup", "-include:" + volume}).ExitCode, 2);
}

} // namespace
