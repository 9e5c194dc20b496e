// Writer -> reader round trips of every field, for both kinds, local and remote files.
#include "JobFileTestSupport.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace JobFileTest;

namespace {

class JobFilesRoundTrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnvironment::makeFolder("roundtrip");
        takeEvents();
    }
    void TearDown() override { EXPECT_EQ(takeEvents(), QStringList()); }

    QString folder;
};

TEST_F(JobFilesRoundTrip, LocalFilesAndFoldersKeepsEveryField)
{
    TJob_FilesAndFolders saved("Documents");
    fillFilesAndFolders(saved);
    const QString path = folder + "/Documents.obd";
    ASSERT_TRUE(saved.SaveLocalJobFile(path));

    TJob_FilesAndFolders loaded("Documents");
    ASSERT_TRUE(loaded.LoadLocalJobFile(path));
    expectSameLastResult(saved, loaded);
    expectSameSettings(saved, loaded);
    EXPECT_TRUE(loaded.NewSubfolderIsCreatedForEachBackup);
    // The run log is not part of the file.
    EXPECT_TRUE(loaded.LastJobResult.Log.isEmpty());
}

TEST_F(JobFilesRoundTrip, LocalDriveImageKeepsEveryField)
{
    TJob_DriveImage saved("System");
    fillDriveImage(saved);
    const QString path = folder + "/System.obd";
    ASSERT_TRUE(saved.SaveLocalJobFile(path));

    TJob_DriveImage loaded("System");
    loaded.Settings.SourceDrivesList = {"/dev/stale"};
    ASSERT_FALSE(loaded.NewSubfolderIsCreatedForEachBackup);
    ASSERT_TRUE(loaded.LoadLocalJobFile(path));
    expectSameLastResult(saved, loaded);
    expectSameSettings(saved, loaded); // the drive list is replaced, not appended to
    EXPECT_TRUE(loaded.NewSubfolderIsCreatedForEachBackup);
    EXPECT_FALSE(loaded.CanPause);
}

TEST_F(JobFilesRoundTrip, LocalReaderRecomputesNewSubfolderFromTheBackupType)
{
    const struct
    {
        TBackupType type;
        bool before;
        bool expected;
    } cases[] = {{btSync, true, false}, {btFull, false, true}, {btInc, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        TJob_FilesAndFolders saved("Mirror");
        saved.Settings.Backup.BackupType = c.type;
        const QString path = folder + "/Mirror.obd";
        ASSERT_TRUE(saved.SaveLocalJobFile(path));
        TJob_FilesAndFolders loaded("Mirror");
        loaded.NewSubfolderIsCreatedForEachBackup = c.before;
        ASSERT_TRUE(loaded.LoadLocalJobFile(path));
        EXPECT_EQ(loaded.NewSubfolderIsCreatedForEachBackup, c.expected);
    }
}

TEST_F(JobFilesRoundTrip, LocalReaderAppendsToTheJobsLists)
{
    TJob_FilesAndFolders saved("Photos");
    fillFilesAndFolders(saved);
    const QString path = folder + "/Photos.obd";
    ASSERT_TRUE(saved.SaveLocalJobFile(path));

    TJob_FilesAndFolders loaded("Photos");
    loaded.Settings.Sources.List = {"/existing/*"};
    loaded.LogList.assign({"old log"});
    loaded.BackupHistory.assign({"old history"});
    loaded.SchedulingSettings.TimeTable = {"01:00:00"};
    ASSERT_TRUE(loaded.LoadLocalJobFile(path));
    EXPECT_EQ(loaded.Settings.Sources.List, QStringList{"/existing/*"} + saved.Settings.Sources.List);
    EXPECT_EQ(loaded.LogList.snapshot(), QStringList{"old log"} + saved.LogList.snapshot());
    EXPECT_EQ(loaded.BackupHistory.snapshot(), QStringList{"old history"} + saved.BackupHistory.snapshot());
    EXPECT_EQ(loaded.SchedulingSettings.TimeTable,
              QStringList{"01:00:00"} + saved.SchedulingSettings.TimeTable);
}

TEST_F(JobFilesRoundTrip, DefaultJobsRoundTripToDefaults)
{
    TJob_FilesAndFolders files("Empty");
    TJob_DriveImage image("EmptyImage");
    ASSERT_TRUE(files.SaveLocalJobFile(folder + "/a.obd"));
    ASSERT_TRUE(image.SaveLocalJobFile(folder + "/b.obd"));
    TJob_FilesAndFolders filesLoaded("Empty");
    TJob_DriveImage imageLoaded("EmptyImage");
    ASSERT_TRUE(filesLoaded.LoadLocalJobFile(folder + "/a.obd"));
    ASSERT_TRUE(imageLoaded.LoadLocalJobFile(folder + "/b.obd"));
    expectSameLastResult(files, filesLoaded);
    expectSameSettings(files, filesLoaded);
    expectSameSettings(image, imageLoaded);
}

TEST_F(JobFilesRoundTrip, RemoteFilesAndFoldersWithSettingsDisablesTheSchedule)
{
    TJob_FilesAndFolders saved("Documents");
    fillFilesAndFolders(saved);
    const TRemoteBookkeeping bookkeeping = filledBookkeeping();
    const QString path = folder + "/Documents.kxj";
    saved.SaveRemoteJobFile(path, bookkeeping);

    TJob_FilesAndFolders imported("Documents");
    imported.Settings.Sources.List = {"/replaced/*"};
    imported.SchedulingSettings.TimeTable = {"01:00:00"};
    TRemoteBookkeeping read;
    read.MainBackupList = {"stale"};
    ASSERT_TRUE(imported.LoadRemoteJobFile(path, true, read));
    expectSameBookkeeping(bookkeeping, read);

    // Everything but the scheduling type comes from the file; the job never starts on its own.
    ASSERT_EQ(saved.SchedulingSettings.SchedulingType, stDaysOfMonth);
    EXPECT_EQ(imported.SchedulingSettings.SchedulingType, stDisabled);
    saved.SchedulingSettings.SchedulingType = stDisabled;
    expectSameSettings(saved, imported);
    EXPECT_TRUE(imported.NewSubfolderIsCreatedForEachBackup);
    // The remote file carries no last result, log list or history.
    expectSameLastResult(TJob_FilesAndFolders("fresh"), imported);
}

TEST_F(JobFilesRoundTrip, RemoteFilesAndFoldersWithoutSettingsReadsOnlyTheBookkeeping)
{
    TJob_FilesAndFolders saved("Documents");
    fillFilesAndFolders(saved);
    saved.Settings.Backup.BackupType = btSync;
    const TRemoteBookkeeping bookkeeping = filledBookkeeping();
    const QString path = folder + "/Documents.kxj";
    saved.SaveRemoteJobFile(path, bookkeeping);

    TJob_FilesAndFolders running("Documents");
    TRemoteBookkeeping read;
    read.PreviousLocalDirsList = {"stale"};
    read.SizeOfLastFullBackup = 77;
    ASSERT_TRUE(running.LoadRemoteJobFile(path, false, read));
    expectSameBookkeeping(bookkeeping, read);
    const TJob_FilesAndFolders untouched("Documents");
    expectSameSettings(untouched, running);
    EXPECT_TRUE(running.NewSubfolderIsCreatedForEachBackup);
}

TEST_F(JobFilesRoundTrip, RemoteDriveImageWithAndWithoutSettings)
{
    TJob_DriveImage saved("System");
    fillDriveImage(saved);
    const QString path = folder + "/System.kxj";
    saved.SaveRemoteJobFile(path);

    TJob_DriveImage without("System");
    ASSERT_TRUE(without.LoadRemoteJobFile(path, false));
    expectSameSettings(TJob_DriveImage("System"), without);
    EXPECT_FALSE(without.NewSubfolderIsCreatedForEachBackup);

    TJob_DriveImage imported("System");
    imported.Settings.SourceDrivesList = {"/dev/stale"};
    imported.SchedulingSettings.TimeTable = {"01:00:00"};
    ASSERT_TRUE(imported.LoadRemoteJobFile(path, true));
    EXPECT_EQ(imported.SchedulingSettings.SchedulingType, stDisabled);
    saved.SchedulingSettings.SchedulingType = stDisabled;
    expectSameSettings(saved, imported);
    EXPECT_TRUE(imported.NewSubfolderIsCreatedForEachBackup);
    expectSameLastResult(TJob_DriveImage("fresh"), imported);
}

TEST_F(JobFilesRoundTrip, MissingRemoteFileReadsNothingAndSucceeds)
{
    TJob_FilesAndFolders files("Documents");
    TRemoteBookkeeping read = filledBookkeeping();
    EXPECT_TRUE(files.LoadRemoteJobFile(folder + "/none.kxj", true, read));
    expectSameBookkeeping(TRemoteBookkeeping(), read);
    expectSameSettings(TJob_FilesAndFolders("Documents"), files);

    TJob_DriveImage image("System");
    EXPECT_TRUE(image.LoadRemoteJobFile(folder + "/none.kxj", true));
    expectSameSettings(TJob_DriveImage("System"), image);
}

TEST_F(JobFilesRoundTrip, ImportedJobSavedLocallyLoadsTheSameSettings)
{
    // The import path: remote file with settings, then the new job's local file.
    TJob_FilesAndFolders original("Documents");
    fillFilesAndFolders(original);
    original.SaveRemoteJobFile(folder + "/Documents.kxj", filledBookkeeping());
    TJob_FilesAndFolders imported("Documents");
    TRemoteBookkeeping ignored;
    ASSERT_TRUE(imported.LoadRemoteJobFile(folder + "/Documents.kxj", true, ignored));
    ASSERT_TRUE(imported.SaveLocalJobFile(folder + "/Documents.obd"));
    TJob_FilesAndFolders loaded("Documents");
    ASSERT_TRUE(loaded.LoadLocalJobFile(folder + "/Documents.obd"));
    expectSameSettings(imported, loaded);
    EXPECT_EQ(loaded.SchedulingSettings.SchedulingType, stDisabled);
    EXPECT_EQ(loaded.SchedulingSettings.TimeTable, original.SchedulingSettings.TimeTable);
    EXPECT_EQ(GetJobFileKind(folder + "/Documents.obd"), 1);
}

} // namespace
