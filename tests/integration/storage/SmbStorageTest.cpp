// Storage access over a real Samba server started by the test fixture.
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/CopyFile.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemLocal.h"
#include "platform/SmbFileSystem.h"
#include "storage/StorageConnection.h"
#include "storage/uNetworkFuncs.h"
#include "support/MissingFacility.h"
#include "support/SmbServer.h"
#include "support/StorageTestUtil.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

class SmbStorage : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!SmbServer::available())
            return;
        server = new SmbServer;
        if (!server->start())
            startError = server->errorText();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override
    {
        ZORVAN_SKIP_UNLESS(SmbServer::available(), "smbd needs root and the samba package");
        ASSERT_TRUE(startError.isEmpty()) << startError;
        if (!server->isRunning()) {
            ASSERT_TRUE(server->start()) << server->errorText();
        }
        TNetworkPathConnection::BusyRetryDelayMs = 100;
    }

    // A job connected to a fresh folder on the share; the folder's local path is in `local`.
    std::unique_ptr<TJob> connectedJob(QString& remote, QString& local)
    {
        static std::atomic<int> counter{0};
        const QString name = QStringLiteral("t%1").arg(++counter);
        QDir().mkpath(server->shareFolder() + '/' + name);
        auto job = std::make_unique<TJob_FilesAndFolders>(QStringLiteral("Job"));
        job->DestinationType = dtNetwork;
        job->DestinationPath = server->shareUrl() + '/' + name;
        job->Destination_NetworkUsername = server->user();
        job->Destination_NetworkPassword = server->password();
        job->JobOptions.Processing.IfDestinationNotAvailable_Wait_Sec = 0;
        job->JobOptions.General.PathForTempFiles = TestEnvironment::makeFolder("temp");
        const QString root = job->ConnectToStorage().folder;
        EXPECT_EQ(root, job->DestinationPath + "/Job");
        remote = job->DestinationPath;
        local = server->shareFolder() + '/' + name;
        return job;
    }

    void copiesKeepContentTimeAndReadOnly(TFileOperationType kind);

    static SmbServer* server;
    static QString startError;
};

SmbServer* SmbStorage::server = nullptr;
QString SmbStorage::startError;

QByteArray randomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(generator.generate() & 0xff);
    return data;
}

struct stat statOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST_F(SmbStorage, ConnectionErrorsCarryTheirPrefix)
{
    const QString closedPort = QStringLiteral("//127.0.0.1:%1/share").arg(server->port() == 1 ? 2 : 1);
    const struct
    {
        QString path, user, password, prefix;
    } cases[] = {
        {server->shareUrl(), server->user(), server->password(), QString()},
        {"smb://127.0.0.1:" + QString::number(server->port()) + "/share/", server->user(), server->password(),
         QString()},
        {"\\\\127.0.0.1:" + QString::number(server->port()) + "\\share", server->user(), server->password(),
         QString()},
        {server->shareUrl(), server->user(), "wrong", "Invalid password: "},
        {server->url("nosuchshare"), server->user(), server->password(), "Bad network Name: "},
        {server->deniedShareUrl(), server->user(), server->password(), "Access denied: "},
        {closedPort, server->user(), server->password(), "No Net or bad path: "},
        // A blank user name connects with the caller's (anonymous) credentials; the password is not used.
        {server->guestShareUrl(), "  ", "wrong", QString()},
        // Anonymous on a share for named users: refused (the server cannot tell which of the two it is).
        {server->shareUrl(), QString(), server->password(), "?"},
    };
    for (const auto& c : cases) {
        TNetworkPathConnection connection;
        const bool connected = connection.Connect("  " + c.path + " ", c.user, c.password);
        EXPECT_EQ(connected, c.prefix.isEmpty()) << c.path << " " << c.user << ": " << connection.LastError();
        EXPECT_EQ(connection.Failed(), !connected);
        if (connected) {
            EXPECT_EQ(connection.RemotePath(), c.path.trimmed());
            EXPECT_TRUE(connection.Owned());
            ASSERT_NE(connection.fileSystem(), nullptr);
            EXPECT_TRUE(connection.fileSystem()->folderExists(c.path));
            connection.Disconnect(false);
            EXPECT_FALSE(connection.Connected());
            EXPECT_EQ(connection.RemotePath(), QString());
        } else {
            if (c.prefix == QStringLiteral("?"))
                EXPECT_TRUE(connection.LastError().startsWith("Access denied: ") ||
                            connection.LastError().startsWith("Invalid password: "))
                    << connection.LastError();
            else
                EXPECT_TRUE(connection.LastError().startsWith(c.prefix)) << connection.LastError();
            EXPECT_TRUE(connection.LastError().contains(": ")) << "the library's message follows";
            EXPECT_EQ(connection.URI(), QString());
        }
    }
}

TEST_F(SmbStorage, ConnectToStorageLogsAndCounts)
{
    TJob_FilesAndFolders job(QStringLiteral("Job"));
    job.DestinationType = dtNetwork;
    job.DestinationPath = server->shareUrl();
    job.Destination_NetworkUsername = server->user();
    job.Destination_NetworkPassword = "wrong";
    const TStorageConnectionResult result = job.ConnectToStorage();
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.startsWith("Invalid password: ")) << result.error;
    EXPECT_EQ(ConnectionErrorLine(job, result), "ERROR: " + result.error);
    EXPECT_EQ(LogTexts(job), QStringList({"Connecting to the network. Directory: " + server->shareUrl(),
                                          "ERROR: " + result.error}));
    EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), 1);
    EXPECT_FALSE(job.NetworkConnection);

    job.LastJobResult.Log.clear();
    job.Destination_NetworkPassword = server->password();
    job.DestinationPath = server->shareUrl() + "/not-there";
    EXPECT_EQ(job.ConnectToStorage().error, "The directory does not exist: " + job.DestinationPath);
    EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), 2);
    ASSERT_TRUE(job.NetworkConnection);
    job.DisconnectFromStorage();
    EXPECT_FALSE(job.NetworkConnection);

    job.DestinationPath = "\\\\127.0.0.1:" + QString::number(server->port()) + "\\share\\";
    EXPECT_EQ(job.ConnectToStorage().folder, server->shareUrl() + "/Job");
    job.DisconnectFromStorage();
}

// Both ways of copying onto the share: a new file written under its name, and a backup's copy written
// beside its target under a temporary name and renamed into place.
TEST_F(SmbStorage, CopiesKeepContentTimeAndReadOnlyBothWays)
{
    for (const TFileOperationType kind :
         {atCopyFromLocalToRemoteFile, atCopyFromLocalToRemoteFileThroughTempFolder})
        copiesKeepContentTimeAndReadOnly(kind);
}

void SmbStorage::copiesKeepContentTimeAndReadOnly(TFileOperationType kind)
{
    SCOPED_TRACE(kind);
    QString remote, local;
    auto job = connectedJob(remote, local);
    const QString source = TestEnvironment::makeFolder("smbsrc");
    // The last size is written by both sessions, a chunk each in turn.
    const qsizetype sizes[] = {0, 1, 70000, kCopyChunkSize + 5, 2 * kCopyChunkSize + 7};
    job->ComputeCopyChecksums = true;
    for (qsizetype size : sizes) {
        const QString name = QStringLiteral("f%1.bin").arg(size);
        const QByteArray content = randomBytes(size);
        TestEnvironment::writeFile(source + '/' + name, content);
        const timespec times[2] = {{0, UTIME_OMIT}, {1600000000, 250000000}};
        ::utimensat(AT_FDCWD, QFile::encodeName(source + '/' + name).constData(), times, 0);
        if (size == 1)
            ::chmod(QFile::encodeName(source + '/' + name).constData(), 0444);

        ASSERT_EQ(job->FileOperation(kind, source + '/' + name, remote + '/' + name, 0, true), orSuccess)
            << JoinedLog(*job);
        EXPECT_EQ(TestEnvironment::readFile(local + '/' + name), content);
        // The checksum covers exactly what was written, also the chunks the second session wrote.
        TContentChecksum expected;
        expected.update(content.constData(), size_t(content.size()));
        ASSERT_TRUE(job->LastCopyChecksum.has_value());
        EXPECT_EQ(job->LastCopyChecksum->size, size);
        EXPECT_EQ(TContentChecksum::toHex(job->LastCopyChecksum->digest), expected.hex()) << size;
        EXPECT_EQ(job->CurrentFileOperationProgress.load(), size == 0 ? 0 : 100);
        // Seen from outside the session, a new file's time is in place once the session has settled.
        job->NetworkConnection->fileSystem()->finishDeferred();
        const struct stat onShare = statOf(local + '/' + name);
        EXPECT_EQ(onShare.st_mtim.tv_sec, 1600000000);
        EXPECT_EQ(onShare.st_mtim.tv_nsec / 1000000, 250);
        EXPECT_EQ((onShare.st_mode & 0200) == 0, size == 1) << "read-only travels as the attribute";

        const QString back = source + "/back-" + name;
        ASSERT_EQ(job->FileOperation(atCopyFromRemoteToLocalFile, back, remote + '/' + name, 0, true),
                  orSuccess);
        EXPECT_EQ(TestEnvironment::readFile(back), content);
        ASSERT_TRUE(job->LastCopyChecksum.has_value());
        EXPECT_EQ(TContentChecksum::toHex(job->LastCopyChecksum->digest), expected.hex()) << size;
        const struct stat restored = statOf(back);
        EXPECT_EQ(restored.st_mtim.tv_sec, 1600000000);
        EXPECT_EQ((restored.st_mode & 0222) == 0, size == 1);
    }
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0);
    for (const QString& name : entriesOf(local))
        EXPECT_FALSE(name.startsWith('.')) << name;

    // Overwriting a read-only file on the share: the server refuses writes to it, even for root, so
    // the attribute has to go first.
    job->LastJobResult.Log.clear();
    TestEnvironment::writeFile(source + "/newer", "newer");
    ASSERT_EQ(job->FileOperation(kind, source + "/newer", remote + "/f1.bin", 0, true), orSuccess)
        << JoinedLog(*job);
    EXPECT_TRUE(LogTexts(*job).contains("Removing the read-only attribute: " + remote + "/f1.bin"));
    EXPECT_EQ(TestEnvironment::readFile(local + "/f1.bin"), QByteArray("newer"));
    EXPECT_EQ(entriesOf(local).filter(QStringLiteral(".part")), QStringList());
    EXPECT_TRUE(entriesOf(job->JobOptions.General.PathForTempFiles).isEmpty());
    job->DisconnectFromStorage();
}

TEST_F(SmbStorage, FolderAndRenameOperations)
{
    QString remote, local;
    auto job = connectedJob(remote, local);
    EXPECT_EQ(job->FileOperation(atCreateRemoteFolder, QString(), remote + "/a/b/c", 0, true), orSuccess);
    EXPECT_TRUE(QFileInfo(local + "/a/b/c").isDir());
    TestEnvironment::writeFile(local + "/a/b/c/file.txt", "x");
    TestEnvironment::writeFile(local + "/a/top.txt", "y");
    ::chmod(QFile::encodeName(local + "/a/top.txt").constData(), 0444);

    EXPECT_EQ(
        job->FileOperation(atRenameRemoteFile, remote + "/a/renamed.txt", remote + "/a/top.txt", 0, true),
        orSuccess);
    EXPECT_TRUE(QFile::exists(local + "/a/renamed.txt"));
    EXPECT_EQ(job->FileOperation(atRenameRemoteFolder, remote + "/moved", remote + "/a", 0, true), orSuccess);
    EXPECT_TRUE(QFile::exists(local + "/moved/b/c/file.txt"));
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0) << JoinedLog(*job);

    // Renames that must fail, and a folder move off the share.
    QDir().mkpath(local + "/other");
    const QString here = TestEnvironment::makeFolder("offshare");
    const struct
    {
        TFileOperationType kind;
        QString from, to;
    } failing[] = {
        {atRenameRemoteFile, remote + "/missing", remote + "/x"},
        {atRenameRemoteFile, remote + "/moved/renamed.txt", remote + "/moved/b/c/file.txt"},
        {atRenameRemoteFile, remote + "/moved/renamed.txt", remote + "/nofolder/x"},
        {atRenameRemoteFolder, remote + "/moved", remote + "/other"},
        {atRenameRemoteFolder, remote + "/moved", here + "/moved"},
    };
    for (const auto& c : failing) {
        job->LastJobResult.ErrorsCount = 0;
        EXPECT_EQ(job->FileOperation(c.kind, c.to, c.from, 1, true), orERROR_RemoteAccess)
            << c.from << " " << c.to;
        EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 2);
    }

    EXPECT_EQ(job->FileOperation(atRemoveRemoteFile, QString(), remote + "/moved/renamed.txt", 0, true),
              orSuccess);
    EXPECT_TRUE(
        LogTexts(*job).contains("Removing the read-only attribute: " + remote + "/moved/renamed.txt"));
    EXPECT_EQ(job->FileOperation(atRemoveRemoteEmptyFolder, QString(), remote + "/moved", 0, true), orSuccess)
        << "the forced delete takes what the plain removal leaves";
    EXPECT_FALSE(QFileInfo::exists(local + "/moved"));
    TestEnvironment::writeFile(local + "/full/x/y/z.txt", "z");
    EXPECT_EQ(job->FileOperation(atRemoveRemoteNotEmptyFolder, QString(), remote + "/full", 0, true),
              orSuccess);
    EXPECT_FALSE(QFileInfo::exists(local + "/full"));
    job->DisconnectFromStorage();
}

TEST_F(SmbStorage, ReadOnlyShareFailsEveryAttempt)
{
    TJob_FilesAndFolders job(QStringLiteral("Job"));
    job.DestinationType = dtNetwork;
    job.DestinationPath = server->readOnlyShareUrl();
    job.Destination_NetworkUsername = server->user();
    job.Destination_NetworkPassword = server->password();
    job.JobOptions.General.PathForTempFiles = TestEnvironment::makeFolder("temp");
    ASSERT_EQ(job.ConnectToStorage().folder, server->readOnlyShareUrl() + "/Job");
    const QString source = TestEnvironment::makeFolder("rosrc");
    TestEnvironment::writeFile(source + "/f", "data");
    EXPECT_EQ(job.FileOperation(atCopyFromLocalToRemoteFile, source + "/f", server->readOnlyShareUrl() + "/f",
                                2, true),
              orERROR_RemoteAccess);
    const QStringList log = LogTexts(job);
    EXPECT_EQ(CountStartingWith(log, "ERROR: System Error.  Code: 13.Permission denied"), 3)
        << log.join('\n');
    EXPECT_EQ(CountStartingWith(log, "Retry after 0 seconds."), 2);
    EXPECT_EQ(entriesOf(server->readOnlyFolder()), QStringList());
    job.DisconnectFromStorage();
}

TEST_F(SmbStorage, CancelDuringALargeCopyLeavesNoFile)
{
    QString remote, local;
    auto job = connectedJob(remote, local);
    job->JobStatus = jsRunning;
    const QString source = TestEnvironment::makeFolder("bigsrc");
    TestEnvironment::writeFile(source + "/big", QByteArray(64 << 20, 'q'));
    std::atomic<bool> done{false};
    std::thread window([&] {
        while (!done && job->CurrentFileOperationProgress.load() == 0)
            std::this_thread::yield();
        job->Cancel();
    });
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, source + "/big", remote + "/big", 3, true),
              orERROR_RemoteAccess);
    done = true;
    window.join();
    EXPECT_LT(job->CurrentFileOperationProgress.load(), 100);
    EXPECT_EQ(CountStartingWith(LogTexts(*job), "ERROR: System Error.  Code: 125."), 1) << JoinedLog(*job);
    EXPECT_EQ(entriesOf(local), QStringList());
    job->DisconnectFromStorage();
}

TEST_F(SmbStorage, ServerStoppedThenBack)
{
    QString remote, local;
    auto job = connectedJob(remote, local);
    const QString source = TestEnvironment::makeFolder("outage");
    TestEnvironment::writeFile(source + "/f", "survives the outage");

    server->stop();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, source + "/f", remote + "/f", 1, true),
              orERROR_RemoteAccess);
    EXPECT_EQ(job->FileOperation(atCreateRemoteFolder, QString(), remote + "/d", 0, true),
              orERROR_RemoteAccess)
        << "an unreachable share is a missing volume";
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 3);

    // The retries go on while the server comes back.
    job->JobOptions.Processing.IfDestinationNotAvailable_Wait_Sec = 1;
    std::thread admin([&] {
        while (CountStartingWith(LogTexts(*job), "Retry after 1 seconds.") == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        server->start();
    });
    const TOperationResult result =
        job->FileOperation(atCopyFromLocalToRemoteFile, source + "/f", remote + "/f", 60, true);
    admin.join();
    EXPECT_EQ(result, orSuccess) << JoinedLog(*job);
    EXPECT_EQ(TestEnvironment::readFile(local + "/f"), QByteArray("survives the outage"));
    EXPECT_EQ(job->FileOperation(atCreateRemoteFolder, QString(), remote + "/d", 0, true), orSuccess);
    job->DisconnectFromStorage();
}

TEST_F(SmbStorage, DisconnectWaitsForOpenFilesThenLetsGo)
{
    const struct
    {
        const char* what;
        int delayMs;          // the unit of the disconnect's longest wait
        bool closedMeanwhile; // another thread closes the file during the wait
    } cases[] = {
        // The file stays open: the wait ends at its bound and the session lives on for the file.
        {"file kept open", 2, false},
        // A bound of about ten minutes: only the close of the file lets the disconnect return in time.
        {"file closed meanwhile", 6000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TNetworkPathConnection::BusyRetryDelayMs = c.delayMs;
        TNetworkPathConnection connection;
        ASSERT_TRUE(connection.Connect(server->shareUrl(), server->user(), server->password()));
        TestEnvironment::writeFile(server->shareFolder() + "/open.txt", "still open");
        std::unique_ptr<TFileHandle> file;
        ASSERT_EQ(connection.fileSystem()->openRead(server->shareUrl() + "/open.txt", file, {}), 0);
        std::atomic<bool> closing{false};
        std::thread closer;
        if (c.closedMeanwhile) {
            closer = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                closing = true;
                file->close();
            });
        }
        connection.Disconnect(false);
        EXPECT_FALSE(connection.Connected());
        EXPECT_EQ(connection.fileSystem(), nullptr);
        if (c.closedMeanwhile) {
            EXPECT_TRUE(closing.load()) << "the disconnect did not wait for the open file";
            closer.join();
            continue;
        }
        // The session stays usable for the file that still holds it.
        char buffer[32];
        EXPECT_EQ(file->read(buffer, sizeof buffer), 10);
        EXPECT_EQ(file->close(), 0);
    }
}

// The times of new files are set on a second session by the helper program while the next copies run.
// Whatever happens to the helper, every file ends with its time, or the failure is logged with its file.
TEST_F(SmbStorage, TimesSetLaterAreAllInPlaceOrReported)
{
    const QString source = TestEnvironment::makeFolder("latersrc");
    const QString slowHelper = source + "/slow-helper.sh";
    TestEnvironment::writeFile(slowHelper, "#!/bin/sh\nsleep 1\n");
    ::chmod(QFile::encodeName(slowHelper).constData(), 0755);
    const struct
    {
        const char* what;
        QString helper;          // empty: the real one beside the program
        bool removeBeforeSettle; // a file vanishes from the share before its time is set
    } cases[] = {
        {"real helper", QString(), false},
        {"helper missing", "/nonexistent/zorvan-smbhelper", false},
        {"helper ends without answering", slowHelper, false},
        {"file gone before its time is set", slowHelper, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString remote, local;
        auto job = connectedJob(remote, local);
        auto* smb = dynamic_cast<TSmbFileSystem*>(job->NetworkConnection->fileSystem());
        ASSERT_NE(smb, nullptr);
        if (!c.helper.isEmpty())
            smb->setHelperProgram(c.helper);
        // The first file's time is set at once; with a helper that never answers, only the second is
        // still being set when its file goes.
        const int count = c.removeBeforeSettle ? 2 : 12;
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("n%1.bin").arg(i);
            TestEnvironment::writeFile(source + '/' + name, randomBytes(100 + i));
            const timespec times[2] = {{0, UTIME_OMIT}, {1500000000 + i, 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(source + '/' + name).constData(), times, 0);
            ASSERT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, source + '/' + name,
                                         remote + '/' + name, 0, true),
                      orSuccess)
                << JoinedLog(*job);
        }
        const QString last = QStringLiteral("n%1.bin").arg(count - 1);
        if (c.removeBeforeSettle)
            QFile::remove(local + '/' + last);
        job->DisconnectFromStorage();

        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("n%1.bin").arg(i);
            if (c.removeBeforeSettle && name == last)
                continue;
            EXPECT_EQ(statOf(local + '/' + name).st_mtim.tv_sec, 1500000000 + i) << name.toStdString();
        }
        const QStringList errors = LogTexts(*job).filter(QStringLiteral("ERROR:"));
        if (c.removeBeforeSettle) {
            ASSERT_EQ(errors.size(), 1) << JoinedLog(*job);
            EXPECT_TRUE(errors[0].endsWith(' ' + remote + '/' + last)) << errors[0].toStdString();
            EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 1);
        } else {
            EXPECT_TRUE(errors.isEmpty()) << JoinedLog(*job);
            EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0);
        }
    }
}

// A second session that goes away in the middle of a large copy: the copy fails, leaves nothing, and
// the retry copies alone.
TEST_F(SmbStorage, LargeCopyOutlivesItsSecondSession)
{
    QString remote, local;
    auto job = connectedJob(remote, local);
    const QString source = TestEnvironment::makeFolder("bighelp");
    const QString quitter = source + "/quitter.sh";
    TestEnvironment::writeFile(quitter, "#!/bin/sh\nsleep 0.3\n");
    ::chmod(QFile::encodeName(quitter).constData(), 0755);
    auto* smb = dynamic_cast<TSmbFileSystem*>(job->NetworkConnection->fileSystem());
    ASSERT_NE(smb, nullptr);
    smb->setHelperProgram(quitter);
    const QByteArray content = randomBytes(3 * kCopyChunkSize + 11);
    TestEnvironment::writeFile(source + "/big", content);

    ASSERT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, source + "/big", remote + "/big", 1, true),
              orSuccess)
        << JoinedLog(*job);
    EXPECT_EQ(CountStartingWith(LogTexts(*job), "Retry after"), 1) << JoinedLog(*job);
    EXPECT_EQ(TestEnvironment::readFile(local + "/big"), content);
    EXPECT_EQ(entriesOf(local), QStringList{"big"});
    job->DisconnectFromStorage();
}

// Two runs in one process, each with its own session on its own thread, work on the share at once.
TEST_F(SmbStorage, TwoSessionsOnTwoThreadsAtOnce)
{
    const QString source = TestEnvironment::makeFolder("twothreads");
    TestEnvironment::writeFile(source + "/f", randomBytes(3000));
    std::atomic<int> failures{0};
    auto work = [&](const QString& folder) {
        QString remote, local;
        auto job = connectedJob(remote, local);
        for (int i = 0; i < 150; ++i) {
            const QString name = remote + QStringLiteral("/f%1").arg(i);
            if (job->FileOperation(atCopyFromLocalToRemoteFile, source + "/f", name, 0, true) != orSuccess)
                ++failures;
            TFileStat st;
            if (job->NetworkConnection->fileSystem()->stat(name, st) != 0 || st.size != 3000)
                ++failures;
        }
        job->DisconnectFromStorage();
        EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0) << folder.toStdString() << JoinedLog(*job);
    };
    std::thread first(work, QStringLiteral("first"));
    std::thread second(work, QStringLiteral("second"));
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
}
