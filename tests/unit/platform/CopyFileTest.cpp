#include "platform/CopyFile.h"
#include "platform/FileSystemLocal.h"
#include "support/StorageTestUtil.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(generator.generate() & 0xff);
    return data;
}

TCopyResult copyLocal(const QString& source, const QString& target, const TCopyOptions& options = {})
{
    TLocalFileSystem& fs = TLocalFileSystem::instance();
    return CopyFileWithProgress(fs, source, fs, target, options);
}

// Names in the folder that are not the given ones: partial copies left behind.
QStringList strayEntries(const QString& folder, const QStringList& expected)
{
    QStringList stray;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!expected.contains(name))
            stray.append(name);
    return stray;
}

struct stat statOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// A child process that holds a lock on the file until the returned pipe is closed.
struct TLockHolder
{
    pid_t pid = -1;
    int release = -1;

    TLockHolder(const QString& path, bool posixLock)
    {
        int ready[2], hold[2];
        if (::pipe(ready) != 0 || ::pipe(hold) != 0)
            return;
        const QByteArray native = QFile::encodeName(path);
        pid = ::fork();
        if (pid == 0) {
            ::close(hold[1]);
            ::close(ready[0]);
            const int fd = ::open(native.constData(), O_RDWR);
            bool locked = false;
            if (posixLock) {
                struct flock lock
                {
                };
                lock.l_type = F_WRLCK;
                lock.l_whence = SEEK_SET;
                locked = ::fcntl(fd, F_SETLK, &lock) == 0;
            } else {
                locked = ::flock(fd, LOCK_EX) == 0;
            }
            char byte = locked ? 1 : 0;
            (void)!::write(ready[1], &byte, 1);
            (void)!::read(hold[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        char byte = 0;
        if (::read(ready[0], &byte, 1) != 1 || byte != 1)
            pid = -1;
        ::close(ready[0]);
        release = hold[1];
    }
    ~TLockHolder()
    {
        if (release >= 0)
            ::close(release);
        if (pid > 0)
            ::waitpid(pid, nullptr, 0);
    }
};

} // namespace

TEST(CopyFile, CopiesContentTimeAndPermissionsInEveryMode)
{
    const QString folder = TestEnvironment::makeFolder("copy");
    // Sizes around the chunk and the O_DIRECT block: empty, tiny, unaligned tail, more than a chunk.
    const qsizetype sizes[] = {0, 1, 4096, 4097, kCopyChunkSize + 123};
    for (bool unbuffered : {false, true}) {
        for (qsizetype size : sizes) {
            const QString source = folder + QStringLiteral("/src-%1").arg(size);
            const QString target = folder + QStringLiteral("/dst-%1-%2").arg(size).arg(unbuffered);
            const QByteArray content = randomBytes(size);
            TestEnvironment::writeFile(source, content);
            ::chmod(QFile::encodeName(source).constData(), 0640);
            const timespec times[2] = {{0, UTIME_OMIT}, {1500000000, 123456789}};
            ::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), times, 0);

            TCopyOptions options;
            options.unbuffered = unbuffered;
            TContentChecksum checksum, expected;
            options.checksum = &checksum;
            expected.update(content.constData(), size_t(content.size()));
            qint64 last = -1, reportedTotal = -1;
            options.progress = [&](qint64 total, qint64 transferred) {
                EXPECT_GE(transferred, last);
                last = transferred;
                reportedTotal = total;
            };
            ASSERT_TRUE(copyLocal(source, target, options).ok()) << size << " " << unbuffered;
            EXPECT_EQ(TestEnvironment::readFile(target), content) << size;
            EXPECT_EQ(checksum.hex(), expected.hex()) << size << " " << unbuffered;
            EXPECT_EQ(checksum.size(), size);
            EXPECT_EQ(last, size);
            EXPECT_EQ(reportedTotal, size);
            const struct stat st = statOf(target);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
            EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
        }
    }
    EXPECT_TRUE(strayEntries(folder, QDir(folder).entryList(QDir::Files)).isEmpty());
    for (const QString& name : QDir(folder).entryList(QDir::Hidden | QDir::Files))
        EXPECT_FALSE(name.startsWith('.')) << name;
}

TEST(CopyFile, OverwritesOrRefusesAnExistingTarget)
{
    const QString folder = TestEnvironment::makeFolder("overwrite");
    TestEnvironment::writeFile(folder + "/src", "new content");
    TestEnvironment::writeFile(folder + "/dst", "old content that is longer");
    ASSERT_TRUE(copyLocal(folder + "/src", folder + "/dst").ok());
    EXPECT_EQ(TestEnvironment::readFile(folder + "/dst"), QByteArray("new content"));

    TestEnvironment::writeFile(folder + "/kept", "kept");
    TCopyOptions noOverwrite;
    noOverwrite.overwrite = false;
    EXPECT_EQ(copyLocal(folder + "/src", folder + "/kept", noOverwrite).error, EEXIST);
    EXPECT_EQ(TestEnvironment::readFile(folder + "/kept"), QByteArray("kept"));
}

TEST(CopyFile, FailuresLeaveNoFileBehind)
{
    const QString folder = TestEnvironment::makeFolder("fail");
    TestEnvironment::writeFile(folder + "/src", randomBytes(3 * kCopyChunkSize));
    TestEnvironment::writeFile(folder + "/a-file", "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/fifo").constData(), 0600), 0);

    std::atomic<qint32> cancel{-1};
    TCopyOptions cancelled;
    cancelled.cancel = &cancel;
    const struct
    {
        QString source, target;
        TCopyOptions options;
        int error;
    } cases[] = {
        {folder + "/missing", folder + "/out1", {}, ENOENT},
        {folder, folder + "/out2", {}, EISDIR},
        {folder + "/fifo", folder + "/out3", {}, EINVAL}, // never opened: a FIFO would block
        {folder + "/src", folder + "/a-file/out4", {}, ENOTDIR},
        {folder + "/src", folder + "/no-folder/out5", {}, ENOENT},
        {folder + "/src", folder + "/out6", cancelled, ECANCELED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(copyLocal(c.source, c.target, c.options).error, c.error) << c.source << " -> " << c.target;
    EXPECT_EQ(strayEntries(folder, {"src", "a-file", "fifo"}), QStringList());
}

TEST(CopyFile, CancelBetweenChunksStopsTheCopy)
{
    const QString folder = TestEnvironment::makeFolder("cancel");
    TestEnvironment::writeFile(folder + "/src", randomBytes(4 * kCopyChunkSize));
    for (bool unbuffered : {false, true}) {
        std::atomic<qint32> cancel{0};
        TCopyOptions options;
        options.unbuffered = unbuffered;
        options.cancel = &cancel;
        qint64 copied = 0;
        options.progress = [&](qint64, qint64 transferred) {
            copied = transferred;
            if (transferred > 0)
                cancel = -1; // as the window thread does while a chunk is on its way
        };
        EXPECT_EQ(copyLocal(folder + "/src", folder + "/dst", options).error, ECANCELED);
        EXPECT_EQ(copied, kCopyChunkSize) << "aborted within one chunk";
        EXPECT_EQ(strayEntries(folder, {"src"}), QStringList());

        // An existing target keeps its old content until a complete copy replaces it.
        TestEnvironment::writeFile(folder + "/old", "previous backup");
        cancel = 0;
        EXPECT_EQ(copyLocal(folder + "/src", folder + "/old", options).error, ECANCELED);
        EXPECT_EQ(TestEnvironment::readFile(folder + "/old"), QByteArray("previous backup"));
        EXPECT_EQ(strayEntries(folder, {"src", "old"}), QStringList());
        QFile::remove(folder + "/old");
    }
}

TEST(CopyFile, SourceLockedByAnotherProcess)
{
    const QString folder = TestEnvironment::makeFolder("locked");
    TestEnvironment::writeFile(folder + "/src", "locked data");
    for (bool posixLock : {false, true}) {
        {
            TLockHolder holder(folder + "/src", posixLock);
            ASSERT_GT(holder.pid, 0);
            const TCopyResult result = copyLocal(folder + "/src", folder + "/dst");
            EXPECT_TRUE(result.sourceLocked) << posixLock;
            EXPECT_EQ(result.error, EWOULDBLOCK);
            EXPECT_FALSE(QFile::exists(folder + "/dst"));
        }
        // Released: the copy goes through.
        EXPECT_TRUE(copyLocal(folder + "/src", folder + "/dst").ok());
        QFile::remove(folder + "/dst");
    }
}
