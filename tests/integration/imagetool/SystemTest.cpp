// Situations that need the system's help to set up: a full file system, missing read rights, and
// volumes and recovery targets that are mounted. Each test runs its set-up in a private mount
// namespace (nothing stays mounted afterwards) and skips itself where that is not allowed.
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr int kSetUpImpossible = 99;

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// Runs a shell script in a new mount namespace; $TOOL names the tool.
TToolRun runInMountNamespace(const QString& script, const QStringList& arguments = {})
{
    if (::getuid() != 0 || QStandardPaths::findExecutable("unshare").isEmpty())
        return {};
    qputenv("TOOL", QFile::encodeName(ToolRunner::ToolPath()));
    return ToolRunner::Run(QStringList{"-m", "sh", "-c", script, "sh"} + arguments, "unshare");
}

bool setUpFailed(const TToolRun& run)
{
    return run.ExitCode == -1 || run.ExitCode == kSetUpImpossible || !run.LinesWith("unshare:").isEmpty();
}

class ImageToolSystem : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "");
        folder = TestEnvironment::makeFolder("system");
    }
    QString folder;
};

TEST_F(ImageToolSystem, AFullTargetGivesOneFreeSpaceLineAndLeavesNoVersion)
{
    TestEnvironment::writeFile(folder + "/volume.raw", randomBytes(8 << 20)); // does not compress
    QDir().mkpath(folder + "/small");
    const TToolRun run = runInMountNamespace(
        "mount -t tmpfs -o size=2m tmpfs \"$1\" || exit 99\n"
        "\"$TOOL\" start backup -backupTarget:\"$1\" -include:\"$2\" -allCritical -quiet\n"
        "code=$?\n"
        "echo \"left: $(find \"$1\" -name '*.img' -o -name '*.partial' | wc -l)\"\n"
        "exit $code\n",
        {folder + "/small", folder + "/volume.raw"});
    ZORVAN_SKIP_UNLESS(!setUpFailed(run), "cannot mount a small file system here");
    EXPECT_EQ(run.ExitCode, 4) << run.Lines.join('\n').toStdString();
    EXPECT_EQ(run.LinesWith("There is not enough free space on the backup storage location").size(), 1);
    EXPECT_TRUE(run.LinesWith("ERROR").isEmpty()) << "the job counts the free-space line as its one error";
    EXPECT_EQ(run.LinesWith("left: 0").size(), 1) << run.Lines.join('\n').toStdString();
}

TEST_F(ImageToolSystem, AnUnreadableVolumeGivesExactlyOneAccessDeniedLine)
{
    TestEnvironment::writeFile(folder + "/secret.raw", randomBytes(1 << 20));
    QFile::setPermissions(folder + "/secret.raw", {});
    QDir().mkpath(folder + "/target");
    QStringList command{ToolRunner::ToolPath(),
                        "start",
                        "backup",
                        "-backupTarget:" + folder + "/target",
                        "-include:" + folder + "/secret.raw",
                        "-allCritical",
                        "-quiet"};
    QString program;
    if (::getuid() == 0) {
        // Root reads everything: run the tool as "nobody", who may pass through the test folders.
        program = QStandardPaths::findExecutable("setpriv");
        ZORVAN_SKIP_UNLESS(!program.isEmpty(), "setpriv is not available");
        command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
        for (QString path = folder; path.startsWith(TestEnvironment::root()); path = QFileInfo(path).path())
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther | QFile::ReadOther);
        QFile::setPermissions(folder + "/target", QFile::permissions(folder + "/target") | QFile::WriteOther);
    } else {
        program = command.takeFirst();
    }
    const TToolRun run = ToolRunner::Run(command, program);
    ASSERT_NE(run.ExitCode, -1);
    ZORVAN_SKIP_UNLESS(run.LinesWith("setpriv:").isEmpty(), run.Lines.join('\n').toStdString());
    EXPECT_EQ(run.ExitCode, 3) << run.Lines.join('\n').toStdString();
    EXPECT_EQ(run.LinesWith("Access denied. You must be a member").size(), 1);
    EXPECT_TRUE(run.LinesWith("ERROR").isEmpty()) << run.Lines.join('\n').toStdString();
    EXPECT_TRUE(QDir(folder + "/target").isEmpty());
}

// A small ext4 file system on a loop device: imaged through its mount point, recovered into a file,
// and refused as a recovery target while mounted (as its device and as its backing file).
TEST_F(ImageToolSystem, MountedVolumesAreImagedThroughTheirDeviceAndNeverOverwritten)
{
    ZORVAN_SKIP_UNLESS(
        !QStandardPaths::findExecutable("mkfs.ext4", {"/sbin", "/usr/sbin", "/usr/bin"}).isEmpty(),
        "mkfs.ext4 is not available");
    QDir().mkpath(folder + "/mnt");
    QDir().mkpath(folder + "/target");
    const TToolRun run = runInMountNamespace(
        "set -u\n"
        "cd \"$1\"\n"
        "truncate -s 16M fs.img && PATH=$PATH:/sbin:/usr/sbin mkfs.ext4 -q fs.img || exit 99\n"
        "mount -o loop fs.img mnt || exit 99\n"
        "echo 'some file content' > mnt/file.txt && sync\n"
        "dev=$(findmnt -n -o SOURCE \"$1/mnt\")\n"
        "before=$(sha256sum < fs.img)\n"
        "\"$TOOL\" start backup -backupTarget:\"$1/target\" -include:\"$1/mnt\" -allCritical -quiet || exit "
        "1\n"
        "version=$(\"$TOOL\" get versions -backupTarget:\"$1/target\" | sed -n 's/^Version identifier: "
        "//p')\n"
        "\"$TOOL\" start recovery -version:\"$version\" -items:\"$1/mnt\" -backupTarget:\"$1/target\" "
        "-recoveryTarget:\"$1/restored.img\" -quiet || exit 2\n"
        "cmp restored.img \"$dev\" && echo 'restored equals the device'\n"
        "\"$TOOL\" start recovery -version:\"$version\" -items:\"$dev\" -backupTarget:\"$1/target\" "
        "-recoveryTarget:\"$dev\" -quiet\n"
        "echo \"device refused: $?\"\n"
        "\"$TOOL\" start recovery -version:\"$version\" -items:\"$dev\" -backupTarget:\"$1/target\" "
        "-recoveryTarget:\"$1/fs.img\" -quiet\n"
        "echo \"backing file refused: $?\"\n"
        "[ \"$(sha256sum < fs.img)\" = \"$before\" ] && echo 'file system untouched'\n"
        "cat \"$1/mnt/file.txt\"\n",
        {folder});
    ZORVAN_SKIP_UNLESS(!setUpFailed(run), "cannot mount a loop device here");
    const QString all = run.Lines.join('\n');
    EXPECT_EQ(run.ExitCode, 0) << all.toStdString();
    EXPECT_EQ(run.LinesWith("is mounted read-write").size(), 1) << all.toStdString();
    EXPECT_EQ(run.LinesWith("restored equals the device").size(), 1) << all.toStdString();
    EXPECT_EQ(run.LinesWith("device refused: 1").size(), 1) << all.toStdString();
    EXPECT_EQ(run.LinesWith("backing file refused: 1").size(), 1) << all.toStdString();
    EXPECT_EQ(run.LinesWith("cannot be overwritten").size(), 2) << all.toStdString();
    EXPECT_EQ(run.LinesWith("file system untouched").size(), 1) << all.toStdString();
    EXPECT_EQ(run.LinesWith("some file content").size(), 1) << all.toStdString();
}

} // namespace
