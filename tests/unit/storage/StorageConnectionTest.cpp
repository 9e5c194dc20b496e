#include "jobs/uJob_FilesAndFolders.h"
#include "storage/uNetworkFuncs.h"
#include "support/MissingFacility.h"
#include "support/StorageTestUtil.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(StorageConnection, ExternalDeviceFolder)
{
    const QString folder = TestEnvironment::makeFolder("external");
    const struct
    {
        QString destination, folder, error;
    } cases[] = {
        {folder, folder + "/My Job", ""},
        {folder + "/", folder + "/My Job", ""},
        {folder + "/missing", "", "The directory does not exist: " + folder + "/missing"},
    };
    for (const auto& c : cases) {
        TJob_FilesAndFolders job(QStringLiteral("My Job"));
        job.DestinationType = dtExternalDevice;
        job.DestinationPath = c.destination;
        job.CurrentFileOperationType = atRemoveRemoteFile;
        job.CurrentFileOperationPath.set(QStringLiteral("stale"));
        const TStorageConnectionResult connection = job.ConnectToStorage();
        EXPECT_EQ(connection.folder, c.folder);
        EXPECT_EQ(connection.error, c.error);
        EXPECT_EQ(connection.ok(), c.error.isEmpty());
        EXPECT_EQ(job.CurrentFileOperationType.load(), atNone);
        EXPECT_EQ(job.CurrentFileOperationPath.get(), QString());
        const bool failed = !c.error.isEmpty();
        QStringList expected{"Connecting to the external drive. Directory: " + c.destination};
        if (failed)
            expected.append("ERROR: " + c.error);
        EXPECT_EQ(LogTexts(job), expected);
        EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), failed ? 1 : 0);
        job.DisconnectFromStorage();
        EXPECT_EQ(LogTexts(job).last(), QStringLiteral("Disconnecting from device."));
        EXPECT_FALSE(job.NetworkConnection);
    }
}

TEST(StorageConnection, NetworkDestinationOnAMountedFolder)
{
    // A share the system has already mounted is reached as a plain folder: nothing to open or close.
    const QString folder = TestEnvironment::makeFolder("mounted");
    TJob_FilesAndFolders job(QStringLiteral("Job"));
    job.DestinationType = dtNetwork;
    job.DestinationPath = folder;
    EXPECT_EQ(job.ConnectToStorage().folder, folder + "/Job");
    ASSERT_TRUE(job.NetworkConnection);
    EXPECT_FALSE(job.NetworkConnection->Owned());
    job.DisconnectFromStorage();
    EXPECT_FALSE(job.NetworkConnection);
    EXPECT_EQ(job.LastJobResult.ErrorsCount.load(), 0);
}

TEST(StorageConnection, OverlongNetworkPathIsRefused)
{
    TNetworkPathConnection connection;
    const QString tooLong = "//server/share/" + QString(4096 - 15 + 1, 'a');
    EXPECT_FALSE(connection.Connect(tooLong, QString(), QString()));
    EXPECT_TRUE(connection.Failed());
    EXPECT_EQ(connection.LastError(),
              QStringLiteral("Bad network Name: The network path is longer than 4096 characters."));
    EXPECT_EQ(connection.URI(), QString());
    EXPECT_FALSE(connection.Connect("//server", QString(), QString()));
    EXPECT_EQ(connection.LastError(),
              QStringLiteral("Bad network Name: The network path names no server and share."));
}

TEST(StorageConnection, ErrorPrefixes)
{
    EXPECT_EQ(NetworkErrorPrefix(NetworkErrorCodeFromErrno(EACCES)), QStringLiteral("Access denied:"));
    EXPECT_EQ(NetworkErrorPrefix(NetworkErrorCodeFromErrno(ENOENT)), QStringLiteral("Bad network Name:"));
    EXPECT_EQ(NetworkErrorPrefix(NetworkErrorCodeFromErrno(ECONNREFUSED)),
              QStringLiteral("No Net or bad path:"));
    EXPECT_EQ(NetworkErrorPrefix(NetworkErrorCodeFromErrno(ENETUNREACH)), QStringLiteral("No Network:"));
    EXPECT_EQ(NetworkErrorPrefix(NetworkErrorCodeFromErrno(EBUSY)), QStringLiteral("Busy:"));
    EXPECT_EQ(NetworkErrorPrefix(86), QStringLiteral("Invalid password:"));
    // Outside the table: no prefix, so the message stands alone once trimmed.
    EXPECT_EQ(NetworkErrorCodeFromErrno(ENOSPC), 0);
    EXPECT_EQ(NetworkErrorPrefix(0), QString());
}

TEST(FileOperationAcrossVolumes, FileIsCopiedFolderIsRefused)
{
    struct stat here
    {
    }, shm{};
    const QString folder = TestEnvironment::makeFolder("volumes");
    ZORVAN_SKIP_UNLESS(::stat("/dev/shm", &shm) == 0 &&
                           ::stat(QFile::encodeName(folder).constData(), &here) == 0 &&
                           here.st_dev != shm.st_dev && ::access("/dev/shm", W_OK) == 0,
                       "no second writable file system");
    QTemporaryDir other(QStringLiteral("/dev/shm/zorvan-test-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    TestEnvironment::writeFile(folder + "/file", "moved across");
    TestEnvironment::writeFile(folder + "/dir/inner", "x");
    TestEnvironment::writeFile(other.path() + "/taken", "keep");

    TJob_FilesAndFolders job(QStringLiteral("Job"));
    EXPECT_EQ(job.FileOperation(atRenameRemoteFile, other.path() + "/taken", folder + "/file", 0, true),
              orERROR_RemoteAccess);
    EXPECT_EQ(TestEnvironment::readFile(other.path() + "/taken"), QByteArray("keep"));
    EXPECT_EQ(job.FileOperation(atRenameRemoteFile, other.path() + "/file", folder + "/file", 0, true),
              orSuccess);
    EXPECT_EQ(TestEnvironment::readFile(other.path() + "/file"), QByteArray("moved across"));
    EXPECT_FALSE(QFile::exists(folder + "/file"));
    EXPECT_EQ(job.FileOperation(atRenameRemoteFolder, other.path() + "/dir", folder + "/dir", 0, true),
              orERROR_RemoteAccess);
    EXPECT_TRUE(LogTexts(job).contains("ERROR: System Error.  Code: 18.Invalid cross-device link"));
    EXPECT_TRUE(QFile::exists(folder + "/dir/inner"));
}
