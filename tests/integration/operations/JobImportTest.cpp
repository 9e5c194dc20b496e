// The import of a job from its copy beside the backups (*.kxj), locally and from the SMB test share.
#include "operations/JobImport.h"
#include "base/BinaryStream.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobFiles.h"
#include "jobs/JobPaths.h"
#include "options/uOptions.h"
#include "platform/ConfigurationFile.h"
#include "platform/StandardFolders.h"
#include "support/MissingFacility.h"
#include "support/SmbServer.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

using namespace TestEnvironment;

namespace {

const char* const kDotsOrControl = "A job cannot be named \".\" or \"..\", and its name cannot contain "
                                   "control characters such as line breaks or tabs.";

class JobImportTest : public testing::Test
{
protected:
    void SetUp() override
    {
        EventsQueue().takeAll();
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        GlobalOptions = TOptions();
        GlobalOptions.General.PathForTempFiles = makeFolder("tempfiles") + "/ZorvanBackupTmp";
        storage = makeFolder("storage");
    }

    // A files-and-folders job's remote job file as a backup run leaves it.
    QString writeFilesJob(const QString& folder, const QString& fileName)
    {
        TJob_FilesAndFolders original("whatever");
        original.DestinationPath = "/media/usb/backups";
        original.Settings.Sources.List = {"/home/me/Documents/*", "/home/me/notes.txt"};
        original.Settings.Backup.BackupType = btFull;
        original.Settings.Backup.NumberFullCopiesToKeep = 3;
        original.SchedulingSettings.SchedulingType = stDaysOfWeek;
        original.SchedulingSettings.DaysOfWeek[2] = true;
        original.SchedulingSettings.TimeTable = {"08:30:00"};
        TRemoteBookkeeping bookkeeping;
        bookkeeping.MainBackupList = {"Full)", "2024-06-30 21;05;00 (Full)"};
        const QString path = folder + '/' + fileName;
        original.SaveRemoteJobFile(path, bookkeeping);
        EXPECT_TRUE(QFileInfo::exists(path));
        return path;
    }

    bool eventQueued(const QString& text)
    {
        for (const QString& line : EventsQueue().takeAll()) {
            if (line.endsWith(": " + text))
                return true;
        }
        return false;
    }

    void expectTemporaryFilesGone(const QString& name)
    {
        EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles + '/' + name));
        EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles + '/' + name + ".kxj"));
    }

    QString storage;
    TJobCatalogue catalogue;
};

TEST_F(JobImportTest, FilesJobJoinsTheCatalogueWithItsScheduleDisabled)
{
    const QString path = writeFilesJob(storage, "Weekly.kxj");
    const TJobImportResult result = ImportJobFromStorage(catalogue, path);
    ASSERT_EQ(result.Status, TJobImportResult::irImported) << result.ErrorMessage.toStdString();
    ASSERT_EQ(catalogue.count(), 1);
    auto* job = dynamic_cast<TJob_FilesAndFolders*>(catalogue.at(0));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(result.Job, job);
    EXPECT_EQ(job->stJobName, "Weekly");
    EXPECT_EQ(job->DestinationPath, "/media/usb/backups");
    EXPECT_EQ(job->Settings.Sources.List, QStringList({"/home/me/Documents/*", "/home/me/notes.txt"}));
    EXPECT_EQ(job->Settings.Backup.BackupType, btFull);
    EXPECT_EQ(job->Settings.Backup.NumberFullCopiesToKeep, 3);
    EXPECT_EQ(job->SchedulingSettings.SchedulingType, stDisabled);
    EXPECT_TRUE(eventQueued("Job is open: \"Weekly\"."));

    // Saved like any job: its file and the jobs list.
    TJob_FilesAndFolders saved("Weekly");
    ASSERT_TRUE(saved.LoadLocalJobFile(LocalJobFilePath("Weekly")));
    EXPECT_EQ(saved.Settings.Sources.List, job->Settings.Sources.List);
    EXPECT_EQ(saved.SchedulingSettings.SchedulingType, stDisabled);
    TJobCatalogue reloaded;
    ASSERT_TRUE(reloaded.LoadJobsListAndJobs());
    EXPECT_NE(reloaded.findByName("Weekly"), nullptr);
    expectTemporaryFilesGone("Weekly");
}

TEST_F(JobImportTest, DriveImageJobIsImportedAsOne)
{
    TJob_DriveImage original("x");
    original.DestinationPath = "/media/usb";
    original.Settings.SourceDrivesList = {"/dev/sda1"};
    original.SaveRemoteJobFile(storage + "/System.kxj");
    const TJobImportResult result = ImportJobFromStorage(catalogue, storage + "/System.kxj");
    ASSERT_EQ(result.Status, TJobImportResult::irImported);
    auto* job = dynamic_cast<TJob_DriveImage*>(result.Job);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->stJobName, "System");
    EXPECT_EQ(job->Settings.SourceDrivesList, QStringList({"/dev/sda1"}));
}

TEST_F(JobImportTest, ExistingNameIsRefusedBeforeAnythingIsCopied)
{
    catalogue.append(std::make_unique<TJob_FilesAndFolders>("weekly"));
    const TJobImportResult result = ImportJobFromStorage(catalogue, writeFilesJob(storage, "Weekly.kxj"));
    EXPECT_EQ(result.Status, TJobImportResult::irNameRefused);
    EXPECT_EQ(result.ErrorMessage, "Job \"Weekly\" already exists. Please specify another name.");
    EXPECT_EQ(catalogue.count(), 1);
    EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles)) << "nothing was copied";
}

TEST_F(JobImportTest, FileNamesThatMakeNoJobNameAreRefused)
{
    const struct
    {
        const char* file;
        const char* message;
    } cases[] = {
        {"a:b.kxj", "The following symbols are not allowed in the title:\r\n\r\n<>:\"/\\|?*"},
        {"a|b.kxj", "The following symbols are not allowed in the title:\r\n\r\n<>:\"/\\|?*"},
        {" Weekly.kxj", "The file name does not make a valid job name: \" Weekly\"."},
        {".kxj", "The file name does not make a valid job name: \"\"."},
        // "..." and "." as job names would put the job's folders beside the storage and temporary folders.
        {"...kxj", kDotsOrControl},
        {"..kxj", kDotsOrControl},
        {"tab\there.kxj", kDotsOrControl},
        {"line\nbreak.kxj", kDotsOrControl},
    };
    for (const auto& c : cases) {
        const TJobImportResult result = ImportJobFromStorage(catalogue, writeFilesJob(storage, c.file));
        EXPECT_EQ(result.Status, TJobImportResult::irNameRefused) << c.file;
        EXPECT_EQ(result.ErrorMessage, c.message) << c.file;
    }
    EXPECT_EQ(catalogue.count(), 0);
    EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles)) << "nothing was copied";
}

TEST_F(JobImportTest, NamesWithDotsAndOtherScriptsAreImported)
{
    for (const QString name : {"Backup.2024", "a..b", "Фото", "...."}) {
        const TJobImportResult result =
            ImportJobFromStorage(catalogue, writeFilesJob(storage, name + ".kxj"));
        ASSERT_EQ(result.Status, TJobImportResult::irImported) << result.ErrorMessage.toStdString();
        EXPECT_EQ(result.Job->stJobName, name);
        EXPECT_TRUE(QFileInfo::exists(LocalJobFilePath(name))) << name.toStdString();
        expectTemporaryFilesGone(name);
    }
    TJobCatalogue reloaded;
    ASSERT_TRUE(reloaded.LoadJobsListAndJobs());
    EXPECT_EQ(reloaded.count(), 4);
}

TEST_F(JobImportTest, UnreadableFilesLeaveTheCatalogueAlone)
{
    // Missing.
    TJobImportResult result = ImportJobFromStorage(catalogue, storage + "/Gone.kxj");
    EXPECT_EQ(result.Status, TJobImportResult::irNotOpened);
    EXPECT_EQ(result.ErrorMessage, "Unable to open the job file from the backup storage.");
    expectTemporaryFilesGone("Gone");

    // A job file of a kind this program does not know: the kind check reports it through the events log.
    TBinaryWriter foreign;
    foreign.writeInt32(kJobFileVersion);
    foreign.writeInt32(7);
    ASSERT_TRUE(WriteScrambledFile(storage + "/Foreign.kxj", foreign.data()));
    result = ImportJobFromStorage(catalogue, storage + "/Foreign.kxj");
    EXPECT_EQ(result.Status, TJobImportResult::irUnknownKind);
    EXPECT_FALSE(EventsQueue().takeAll().isEmpty());

    // A job file cut short after its header.
    TJob_FilesAndFolders original("x");
    const QByteArray plain = SerializeRemoteJobFile(original, TRemoteBookkeeping());
    ASSERT_TRUE(WriteScrambledFile(storage + "/Short.kxj", plain.left(12)));
    result = ImportJobFromStorage(catalogue, storage + "/Short.kxj");
    EXPECT_EQ(result.Status, TJobImportResult::irNotOpened);
    EXPECT_EQ(result.ErrorMessage, "Unable to open the job file from the backup storage.");
    EXPECT_EQ(catalogue.count(), 0);
    expectTemporaryFilesGone("Short");
}

TEST_F(JobImportTest, ImportsFromAnSmbShare)
{
    ZORVAN_SKIP_UNLESS(SmbServer::available(), "smbd cannot run here (needs root and samba)");
    SmbServer server;
    ASSERT_TRUE(server.start()) << server.errorText().toStdString();
    QDir().mkpath(server.guestFolder() + "/backups");
    const QString file = writeFilesJob(server.guestFolder() + "/backups", "Remote.kxj");
    // The share's guest reads what the share holds.
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const TJobImportResult result =
        ImportJobFromStorage(catalogue, server.guestShareUrl() + "/backups/Remote.kxj");
    ASSERT_EQ(result.Status, TJobImportResult::irImported) << result.ErrorMessage.toStdString();
    EXPECT_EQ(result.Job->stJobName, "Remote");
}

} // namespace
