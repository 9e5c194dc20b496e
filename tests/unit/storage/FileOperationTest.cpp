#include "jobs/uJob_FilesAndFolders.h"
#include "platform/CopyFile.h"
#include "support/StorageTestUtil.h"
#include "support/TestEnvironment.h"
#include "support/WithoutPrivileges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::unique_ptr<TJob> makeJob(const QString& tempFolder = QString())
{
    auto job = std::make_unique<TJob_FilesAndFolders>(QStringLiteral("Job"));
    job->JobOptions.Processing.IfDestinationNotAvailable_Wait_Sec = 0;
    job->JobOptions.General.PathForTempFiles =
        tempFolder.isEmpty() ? TestEnvironment::makeFolder("temp") : tempFolder;
    return job;
}

void makeReadOnly(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0444);
}

} // namespace

TEST(FileOperation, AttemptsFollowTheRetryCount)
{
    const QString folder = TestEnvironment::makeFolder("retry");
    TestEnvironment::writeFile(folder + "/src", "data");
    TestEnvironment::writeFile(folder + "/a-file", "x"); // a parent that is a file refuses even root
    const QString target = folder + "/a-file/dst";
    const struct
    {
        qint32 retryCount;
        bool logError;
        int attempts, retryLines, errorLines;
    } cases[] = {
        {2, true, 3, 2, 3},
        {0, true, 1, 0, 1},
        {-1, true, 0, 0, 0},
        {2, false, 3, 2, 0},
    };
    for (const auto& c : cases) {
        auto job = makeJob();
        EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, folder + "/src", target, c.retryCount,
                                     c.logError),
                  orERROR_RemoteAccess);
        const QStringList log = LogTexts(*job);
        EXPECT_EQ(CountStartingWith(log, "Copying the file: " + folder + "/src"), c.attempts) << c.retryCount;
        EXPECT_EQ(CountStartingWith(log, "Retry after 0 seconds."), c.retryLines) << c.retryCount;
        EXPECT_EQ(CountStartingWith(log, "ERROR: System Error.  Code: 20.Not a directory"), c.errorLines);
        EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), c.errorLines);
        EXPECT_EQ(job->CurrentBackupSize.load(), 4 * c.attempts) << "added on every attempt";
        if (c.retryCount < 0) {
            EXPECT_TRUE(log.isEmpty());
        }
    }
}

TEST(FileOperation, VanishedSourceIsALocalFailureNeverRetried)
{
    const QString folder = TestEnvironment::makeFolder("vanished");
    auto job = makeJob();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, folder + "/gone", folder + "/dst", 3, true),
              orERROR_LocalAccess);
    EXPECT_EQ(LogTexts(*job), QStringList({"Copying the file: " + folder + "/gone",
                                           "ERROR: The file does not exist. " + folder + "/gone"}));
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 1);
    EXPECT_EQ(job->CurrentFileOperationPath.get(), folder + "/gone");
}

TEST(FileOperation, InternalFilesAreNotLoggedWhenTheOptionIsOn)
{
    const QString folder = TestEnvironment::makeFolder("internal");
    const struct
    {
        QString name;
        bool option;
        bool logged;
    } cases[] = {
        {"a.kxj", true, false}, {"_rf.obl", true, false}, {"a.KXJ", true, true},
        {"b.txt", true, true},  {"a.kxj", false, true},
    };
    for (const auto& c : cases) {
        auto job = makeJob();
        job->JobOptions.Logging.DontLogCopyingInternalFiles = c.option;
        TestEnvironment::writeFile(folder + "/" + c.name, "x");
        for (TFileOperationType kind : {atCopyFromLocalToRemoteFile, atCopyFromRemoteToLocalFile}) {
            const QString other = folder + "/copy-" + c.name;
            const QString local = folder + "/" + c.name;
            if (kind == atCopyFromRemoteToLocalFile)
                QFile::rename(local, other);
            const TOperationResult result = kind == atCopyFromLocalToRemoteFile
                                                ? job->FileOperation(kind, local, other, 0, true)
                                                : job->FileOperation(kind, local, other, 0, true);
            EXPECT_EQ(result, orSuccess);
        }
        EXPECT_EQ(CountStartingWith(LogTexts(*job), "Copying the file:"), c.logged ? 2 : 0)
            << c.name << c.option;
        // Removing follows the same rule.
        job->LastJobResult.Log.clear();
        EXPECT_EQ(job->FileOperation(atRemoveRemoteFile, QString(), folder + "/" + c.name, 0, true),
                  orSuccess);
        EXPECT_EQ(CountStartingWith(LogTexts(*job), "Removing the file:"), c.logged ? 1 : 0) << c.name;
        QFile::remove(folder + "/copy-" + c.name);
    }
}

TEST(FileOperation, ProgressAndPublishedFields)
{
    const QString folder = TestEnvironment::makeFolder("progress");
    TestEnvironment::writeFile(folder + "/empty", "");
    TestEnvironment::writeFile(folder + "/full", QByteArray(100000, 'z'));
    auto job = makeJob();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, folder + "/empty", folder + "/e2", 0, true),
              orSuccess);
    EXPECT_EQ(job->CurrentFileOperationProgress.load(), 0);
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, folder + "/full", folder + "/f2", 0, true),
              orSuccess);
    EXPECT_EQ(job->CurrentFileOperationProgress.load(), 100);
    EXPECT_EQ(job->CurrentFileOperationPath.get(), folder + "/full");
    EXPECT_EQ(job->CurrentFileOperationType.load(), atCopyFromLocalToRemoteFile);
    EXPECT_EQ(job->CurrentBackupSize.load(), 100000);
    EXPECT_EQ(job->FileOperation(atCopyFromRemoteToLocalFile, folder + "/f3", folder + "/f2", 0, true),
              orSuccess);
    EXPECT_EQ(job->CurrentFileOperationPath.get(), folder + "/f2");
    EXPECT_EQ(TestEnvironment::readFile(folder + "/f3"), QByteArray(100000, 'z'));
    const QString longPath = folder + "/" + QString(300, 'n');
    EXPECT_EQ(job->FileOperation(atRemoveRemoteFile, QString(), longPath, 0, false), orERROR_RemoteAccess);
    EXPECT_EQ(job->CurrentFileOperationPath.get(), longPath.left(256));
    EXPECT_EQ(job->FileOperation(atNone, QString(), QString(), 0, true), orSuccess);
}

TEST(FileOperation, ReadOnlyTargetsAreClearedFirst)
{
    const QString folder = TestEnvironment::makeFolder("readonly");
    TestEnvironment::writeFile(folder + "/src", "fresh");
    TestEnvironment::writeFile(folder + "/dst", "stale");
    makeReadOnly(folder + "/dst");
    auto job = makeJob();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFile, folder + "/src", folder + "/dst", 0, true),
              orSuccess);
    EXPECT_EQ(TestEnvironment::readFile(folder + "/dst"), QByteArray("fresh"));
    EXPECT_TRUE(LogTexts(*job).contains("Removing the read-only attribute: " + folder + "/dst"));

    // Restore onto a read-only local file.
    job->LastJobResult.Log.clear();
    TestEnvironment::writeFile(folder + "/restored", "old");
    makeReadOnly(folder + "/restored");
    EXPECT_EQ(job->FileOperation(atCopyFromRemoteToLocalFile, folder + "/restored", folder + "/src", 0, true),
              orSuccess);
    EXPECT_EQ(TestEnvironment::readFile(folder + "/restored"), QByteArray("fresh"));
    EXPECT_TRUE(LogTexts(*job).contains("Removing the read-only attribute: " + folder + "/restored"));

    // Removing a read-only file.
    job->LastJobResult.Log.clear();
    makeReadOnly(folder + "/dst");
    EXPECT_EQ(job->FileOperation(atRemoveRemoteFile, QString(), folder + "/dst", 0, true), orSuccess);
    EXPECT_EQ(LogTexts(*job), QStringList({"Removing the read-only attribute: " + folder + "/dst",
                                           "Removing the file: " + folder + "/dst"}));
    EXPECT_FALSE(QFile::exists(folder + "/dst"));
}

TEST(FileOperation, RemovingFilesAndFolders)
{
    const QString folder = TestEnvironment::makeFolder("remove");
    auto fill = [](const QString& root) {
        TestEnvironment::writeFile(root + "/a.txt", "a");
        TestEnvironment::writeFile(root + "/sub/deeper/b.txt", "b");
        makeReadOnly(root + "/sub/deeper/b.txt");
    };
    const struct
    {
        TFileOperationType kind;
        bool withContent;
        QString line;
    } cases[] = {
        {atRemoveRemoteEmptyFolder, false, "Removing the empty directory: "},
        {atRemoveRemoteNotEmptyFolder, true, "Removing the full directory: "},
        // The plain removal cannot delete a folder that still holds files: the forced delete does.
        {atRemoveRemoteEmptyFolder, true, "Removing the empty directory: "},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString target = folder + "/f" + QString::number(++n);
        QDir().mkpath(target);
        if (c.withContent)
            fill(target);
        auto job = makeJob();
        EXPECT_EQ(job->FileOperation(c.kind, QString(), target, 0, true), orSuccess);
        EXPECT_EQ(LogTexts(*job), QStringList(c.line + target));
        EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0);
        EXPECT_FALSE(QFileInfo::exists(target));
    }

    auto job = makeJob();
    EXPECT_EQ(job->FileOperation(atRemoveRemoteFile, QString(), folder + "/missing", 1, true),
              orERROR_RemoteAccess);
    EXPECT_EQ(CountStartingWith(LogTexts(*job), "ERROR: System Error.  Code: 2.No such file or directory"),
              2);
    // A folder that is already gone counts as removed.
    EXPECT_EQ(job->FileOperation(atRemoveRemoteNotEmptyFolder, QString(), folder + "/missing", 0, true),
              orSuccess);
}

TEST(FileOperation, CreatingFolders)
{
    const QString folder = TestEnvironment::makeFolder("create");
    auto job = makeJob();
    EXPECT_EQ(job->FileOperation(atCreateRemoteFolder, QString(), folder + "/a/b/c", 0, true), orSuccess);
    EXPECT_TRUE(QFileInfo(folder + "/a/b/c").isDir());
    EXPECT_EQ(LogTexts(*job), QStringList("Creating the directory: " + folder + "/a/b/c"));
    // Not created for another reason than a missing volume: left to the next operation inside it.
    TestEnvironment::writeFile(folder + "/file", "x");
    EXPECT_EQ(job->FileOperation(atCreateRemoteFolder, QString(), folder + "/file/sub", 0, true), orSuccess);
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0);
    // A relative path names no volume: refused, never created below the working folder.
    EXPECT_EQ(job->FileOperation(atCreateRemoteFolder, QString(), "relative/path", 0, true),
              orERROR_RemoteAccess);
    EXPECT_FALSE(QFileInfo::exists("relative"));
}

TEST(FileOperation, RenamesThatMustFail)
{
    const QString folder = TestEnvironment::makeFolder("rename");
    TestEnvironment::writeFile(folder + "/file", "content");
    TestEnvironment::writeFile(folder + "/taken", "other");
    TestEnvironment::writeFile(folder + "/dir/inner", "i");
    QDir().mkpath(folder + "/taken-dir");
    const struct
    {
        TFileOperationType kind;
        QString from, to;
        int code;
    } cases[] = {
        {atRenameRemoteFile, "/missing", "/new", 2},         {atRenameRemoteFile, "/file", "/taken", 17},
        {atRenameRemoteFile, "/file", "/no-folder/new", 2},  {atRenameRemoteFile, "/dir", "/new", 21},
        {atRenameRemoteFolder, "/missing", "/new", 2},       {atRenameRemoteFolder, "/dir", "/taken-dir", 17},
        {atRenameRemoteFolder, "/dir", "/taken", 17},        {atRenameRemoteFolder, "/file", "/new", 20},
        {atRenameRemoteFolder, "/dir", "/no-folder/new", 2},
    };
    for (const auto& c : cases) {
        auto job = makeJob();
        EXPECT_EQ(job->FileOperation(c.kind, folder + c.to, folder + c.from, 1, true), orERROR_RemoteAccess)
            << c.from << " -> " << c.to;
        const QStringList log = LogTexts(*job);
        EXPECT_EQ(CountStartingWith(log, QStringLiteral("ERROR: System Error.  Code: %1.").arg(c.code)), 2)
            << c.from << " -> " << c.to << "\n"
            << log.join('\n');
    }
    EXPECT_EQ(TestEnvironment::readFile(folder + "/file"), QByteArray("content"));
    EXPECT_EQ(TestEnvironment::readFile(folder + "/taken"), QByteArray("other"));

    auto job = makeJob();
    EXPECT_EQ(job->FileOperation(atRenameRemoteFile, folder + "/moved", folder + "/file", 0, true),
              orSuccess);
    EXPECT_EQ(job->FileOperation(atRenameRemoteFolder, folder + "/dir2", folder + "/dir", 0, true),
              orSuccess);
    EXPECT_EQ(LogTexts(*job), QStringList({"Renaming the file: " + folder + "/file",
                                           "Renaming the directory: " + folder + "/dir"}));
    EXPECT_EQ(TestEnvironment::readFile(folder + "/moved"), QByteArray("content"));
    EXPECT_EQ(TestEnvironment::readFile(folder + "/dir2/inner"), QByteArray("i"));
}

TEST(FileOperation, CopyIntoPlace)
{
    const QString folder = TestEnvironment::makeFolder("through");
    const QString temp = TestEnvironment::makeFolder("temp");
    TestEnvironment::writeFile(folder + "/src.dat", "payload");
    auto job = makeJob(temp);
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + "/src.dat",
                                 folder + "/out/dst.dat", 1, true),
              orERROR_RemoteAccess); // the target folder does not exist: both attempts fail
    // Every attempt copies from the source; the job's temporary folder is not used.
    EXPECT_EQ(LogTexts(*job),
              QStringList({"Copying the file: " + folder + "/src.dat",
                           "ERROR: System Error.  Code: 2.No such file or directory",
                           "Retry after 0 seconds.", "Copying the file: " + folder + "/src.dat",
                           "ERROR: System Error.  Code: 2.No such file or directory"}));
    EXPECT_FALSE(QFile::exists(temp + "/Job"));

    QDir().mkpath(folder + "/out");
    job->LastJobResult.Log.clear();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + "/src.dat",
                                 folder + "/out/dst.dat", 0, true),
              orSuccess);
    EXPECT_EQ(LogTexts(*job), QStringList("Copying the file: " + folder + "/src.dat"));
    EXPECT_EQ(TestEnvironment::readFile(folder + "/out/dst.dat"), QByteArray("payload"));
    EXPECT_EQ(QDir(temp + "/Job").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());

    // A newer source over a read-only stored copy: replaced whole, with the source's time and bits.
    TestEnvironment::writeFile(folder + "/src.dat", "newer payload");
    const QByteArray sourcePath = QFile::encodeName(folder + "/src.dat");
    ::chmod(sourcePath.constData(), 0640);
    const timespec times[2] = {{0, UTIME_OMIT}, {1400000000, 500000000}};
    ::utimensat(AT_FDCWD, sourcePath.constData(), times, 0);
    ::chmod(QFile::encodeName(folder + "/out/dst.dat").constData(), 0444);
    job->LastJobResult.Log.clear();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + "/src.dat",
                                 folder + "/out/dst.dat", 0, true),
              orSuccess);
    EXPECT_EQ(LogTexts(*job), QStringList({"Copying the file: " + folder + "/src.dat",
                                           "Removing the read-only attribute: " + folder + "/out/dst.dat"}));
    EXPECT_EQ(TestEnvironment::readFile(folder + "/out/dst.dat"), QByteArray("newer payload"));
    struct stat stored
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(folder + "/out/dst.dat").constData(), &stored), 0);
    EXPECT_EQ(stored.st_mode & 07777, 0640u);
    EXPECT_EQ(stored.st_mtim.tv_sec, 1400000000);
    EXPECT_EQ(stored.st_mtim.tv_nsec, 500000000);
    EXPECT_EQ(job->CurrentFileOperationProgress.load(), 100);
    EXPECT_EQ(QDir(temp + "/Job").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());

    job->LastJobResult.Log.clear();
    EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + "/gone",
                                 folder + "/out/x", 3, true),
              orERROR_LocalAccess);
    EXPECT_EQ(LogTexts(*job),
              QStringList({"Copying the file: " + folder + "/gone", "ERROR: The file does not exist."}));
}

// While a copy runs, only a temporary name beside its target holds it, whether or not the storage is
// on the temporary folder's volume (/dev/shm, when it is another volume here): the target's name gets
// the complete file, and a cancel leaves nothing, in the storage folder or the temporary folder.
TEST(FileOperation, ACopyIsMadeBesideItsTargetOnEveryVolume)
{
    const QString folder = TestEnvironment::makeFolder("beside");
    const QByteArray content(3 * 1024 * 1024 + 5, 'p');
    TestEnvironment::writeFile(folder + "/src.dat", content);
    QTemporaryDir otherVolume(QStringLiteral("/dev/shm/zorvan-test-XXXXXX"));
    QStringList storages{TestEnvironment::makeFolder("storage")};
    if (otherVolume.isValid())
        storages.append(otherVolume.path());
    const auto entries = [](const QString& path) {
        return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    for (const QString& storage : std::as_const(storages)) {
        for (const bool cancel : {false, true}) {
            const QString temp = TestEnvironment::makeFolder("temp");
            auto job = makeJob(temp);
            job->JobStatus = jsRunning;
            job->Pause(); // the copy stops at its first progress report, its target open
            TOperationResult result = orSuccess;
            std::thread run([&] {
                result = job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + "/src.dat",
                                            storage + "/dst.dat", 2, true);
            });
            while (!job->WaitingWhilePaused.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const QStringList during = entries(storage);
            EXPECT_TRUE(during.size() == 1 && IsTemporaryNameBeside(during.value(0)))
                << during.join(", ").toStdString();
            EXPECT_EQ(entries(temp), QStringList());
            if (cancel)
                job->Cancel();
            else
                job->SetStatus(jsRunning);
            run.join();
            EXPECT_EQ(result, cancel ? orERROR_LocalAccess : orSuccess) << storage.toStdString();
            EXPECT_EQ(entries(storage), cancel ? QStringList() : QStringList("dst.dat"));
            EXPECT_EQ(entries(temp), QStringList());
            if (!cancel) {
                EXPECT_EQ(TestEnvironment::readFile(storage + "/dst.dat"), content);
                EXPECT_EQ(job->CurrentBackupSize.load(), content.size());
                QFile::remove(storage + "/dst.dat");
            }
        }
    }
}

// Beside its target the temporary copy is written by the storage: a folder there that refuses new
// files is the storage's failure (retried, then orERROR_RemoteAccess, so the caller's refusal rule
// applies), while a source that cannot be read stays a local one. Root writes and reads anything: the
// copies run without privileges.
TEST(FileOperation, ACopyBesideItsTargetFailsOnTheSideThatRefused)
{
    const QString folder = TestEnvironment::makeFolder("refused");
    const QString temp = TestEnvironment::makeFolder("temp");
    TestEnvironment::writeFile(folder + "/src.dat", "payload");
    TestEnvironment::writeFile(folder + "/secret.dat", "unreadable");
    QDir().mkpath(folder + "/readonly");
    QDir().mkpath(folder + "/open");
    ::chmod(QFile::encodeName(folder + "/readonly").constData(), 0555);
    ::chmod(QFile::encodeName(folder + "/secret.dat").constData(), 0);
    const struct
    {
        const char *source, *target;
        TOperationResult result;
        QStringList log;
    } cases[] = {
        {"/src.dat",
         "/readonly/dst.dat",
         orERROR_RemoteAccess,
         {"Copying the file: " + folder + "/src.dat", "ERROR: System Error.  Code: 13.Permission denied",
          "Retry after 0 seconds.", "Copying the file: " + folder + "/src.dat",
          "ERROR: System Error.  Code: 13.Permission denied"}},
        {"/secret.dat",
         "/open/dst.dat",
         orERROR_LocalAccess,
         {"Copying the file: " + folder + "/secret.dat", "ERROR: System Error.  Code: 13.Permission denied"}},
    };
    for (const auto& c : cases) {
        auto job = makeJob(temp);
        TOperationResult result = orSuccess;
        {
            TWithoutPrivileges ordinaryUser;
            result = job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + c.source,
                                        folder + c.target, 1, true);
        }
        EXPECT_EQ(result, c.result) << c.source;
        EXPECT_EQ(LogTexts(*job), c.log) << c.source;
    }
    ::chmod(QFile::encodeName(folder + "/readonly").constData(), 0755);
    EXPECT_EQ(QDir(folder + "/readonly").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_EQ(QDir(folder + "/open").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

TEST(FileOperation, LockedSourceThroughTheTemporaryFolder)
{
    const QString folder = TestEnvironment::makeFolder("lockedsrc");
    TestEnvironment::writeFile(folder + "/src", "busy");
    int ready[2], hold[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(hold), 0);
    const QByteArray native = QFile::encodeName(folder + "/src");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(hold[1]);
        ::close(ready[0]);
        const int fd = ::open(native.constData(), O_RDWR);
        char byte = ::flock(fd, LOCK_EX) == 0 ? 1 : 0;
        (void)!::write(ready[1], &byte, 1);
        (void)!::read(hold[0], &byte, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 1);

    for (bool skipLocked : {true, false}) {
        auto job = makeJob();
        job->JobOptions.Processing.SkipLockedFiles = skipLocked;
        EXPECT_EQ(job->FileOperation(atCopyFromLocalToRemoteFileThroughTempFolder, folder + "/src",
                                     folder + "/dst", 2, true),
                  orERROR_LocalAccess);
        QStringList expected{"Copying the file: " + folder + "/src"};
        if (!skipLocked)
            expected.append("ERROR: System Error.  Code: 11.Resource temporarily unavailable");
        EXPECT_EQ(LogTexts(*job), expected);
        EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), skipLocked ? 0 : 1);
    }
    ::close(hold[1]);
    ::close(ready[0]);
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(QFile::exists(folder + "/dst"));
}

TEST(FileOperation, CancelDuringALargeCopy)
{
    const QString folder = TestEnvironment::makeFolder("cancelop");
    QFile big(folder + "/big");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    const QByteArray block(1 << 20, 'b');
    for (int i = 0; i < 256; ++i)
        big.write(block);
    big.close();
    for (bool unbuffered : {false, true}) {
        auto job = makeJob();
        job->JobStatus = jsRunning;
        job->JobOptions.Processing.DontUseBufferingForCopyOperations = unbuffered;
        std::atomic<bool> done{false};
        std::thread window([&] {
            while (!done && job->CurrentFileOperationProgress.load() == 0)
                std::this_thread::yield();
            job->Cancel();
        });
        const TOperationResult result =
            job->FileOperation(atCopyFromLocalToRemoteFile, folder + "/big", folder + "/copy", 5, true);
        done = true;
        window.join();
        EXPECT_EQ(result, orERROR_RemoteAccess);
        EXPECT_EQ(job->JobStatus.load(), jsCancelling);
        EXPECT_EQ(job->CancelCurrentFileOperation.load(), 0);
        EXPECT_LT(job->CurrentFileOperationProgress.load(), 100);
        const QStringList log = LogTexts(*job);
        EXPECT_EQ(CountStartingWith(log, "ERROR: System Error.  Code: 125.Operation canceled"), 1)
            << log.join('\n');
        EXPECT_EQ(CountStartingWith(log, "Retry after"), 0);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList("big"));
    }
}

TEST(FileOperation, CancelEndsTheWaitBeforeARetry)
{
    const QString folder = TestEnvironment::makeFolder("cancelwait");
    TestEnvironment::writeFile(folder + "/a-file", "x");
    auto job = makeJob();
    job->JobStatus = jsRunning;
    job->JobOptions.Processing.IfDestinationNotAvailable_Wait_Sec = 600;
    std::thread window([&] {
        while (job->LastJobResult.Log.size() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        job->Cancel();
    });
    EXPECT_EQ(job->FileOperation(atRemoveRemoteFile, QString(), folder + "/missing", 10, true),
              orERROR_RemoteAccess);
    window.join();
    // The interrupted wait is followed by one more attempt, then the loop stops.
    EXPECT_EQ(LogTexts(*job), QStringList({"ERROR: System Error.  Code: 2.No such file or directory",
                                           "Retry after 600 seconds.",
                                           "ERROR: System Error.  Code: 2.No such file or directory"}));
}
