// The byte layout of the job files, stated by hand in the tests: files built here are read by the
// program, and the program's writers produce exactly these bytes.
#include "JobFileTestSupport.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace JobFileTest;

namespace {

// The 38 schedule fields of the filled jobs: type, 7 week days, 31 month days, timetable, time, flags.
PlainBytes& appendFilledSchedule(PlainBytes& b, qint32 schedulingType)
{
    b.i32(schedulingType);
    for (int day = 1; day <= 7; ++day)
        b.byte(day == 1 || day == 3 || day == 7 ? 1 : 0);
    for (int day = 1; day <= 31; ++day)
        b.byte(day == 1 || day == 15 || day == 31 ? 1 : 0);
    return b.list({"08:30:00", "12:00:00", "23:59:59"}).dateTime(45100.125).byte(1).byte(1);
}

PlainBytes& appendFilledLastResult(PlainBytes& b)
{
    return b.dateTime(45123.25)
        .dateTime(45123.5)
        .byte(1)
        .i32(3)
        .i32(-7)
        .list({"2024-07-18 06-00-00", "2024-07-19 06-00-01"})
        .list({QString::fromUtf8("Größe: 12 MB ✓"), QString::fromUtf8("𝄞 note"), QString()});
}

PlainBytes& appendFilledFilesAndFoldersBlock(PlainBytes& b)
{
    b.list({"/home/ann/Documents/*", "/home/ann/notes.txt", "/*"})
        .byte(2) // filter type: one byte
        .str("tmp;bak")
        .str("//server/share/backups")
        .str("bob")
        .str(QString::fromUtf8("p@ss wörd"))
        .i32(1) // destination type, after the password
        .i32(1) // backup type btFull
        .i32(9)
        .i32(4)
        .byte(1);
    return appendFilledSchedule(b, 2);
}

PlainBytes& appendFilledDriveImageBlock(PlainBytes& b)
{
    b.list({"/dev/sda", "/dev/nvme0n1"})
        .byte(1)
        .str("12")
        .i32(1) // destination type, before the path
        .str("//server/share/backups")
        .str("bob")
        .str(QString::fromUtf8("p@ss wörd"));
    return appendFilledSchedule(b, 2);
}

PlainBytes& appendFilledBookkeeping(PlainBytes& b)
{
    return b.list({"2024-07-18 06-00-00 (full)", "2024-07-19 06-00-00"})
        .list({"/home/ann/a.txt", "/home/ann/b.txt"})
        .list({"2024-07-01 10:00:00:000", "2024-07-02 11:30:00:123"})
        .list({"/home/ann", "/home/ann/sub"})
        .i64(5'000'000'000'123)
        .i64(-1);
}

class JobFilesLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnvironment::makeFolder("layout");
        takeEvents();
    }
    void TearDown() override { EXPECT_EQ(takeEvents(), QStringList()); }

    QString folder;
};

TEST_F(JobFilesLayout, PrimitivesAreLittleEndianUtf16)
{
    // Header of version 5, kind 1, then a two-unit string and an empty one (count 0, nothing more).
    const QByteArray expected = QByteArray::fromHex("05000000"
                                                    "01000000"
                                                    "02000000"
                                                    "41006200"
                                                    "00000000");
    EXPECT_EQ(PlainBytes().i32(5).i32(1).str("Ab").str("").bytes(), expected);
    TJob_FilesAndFolders job("x");
    job.Settings.Sources.List = {"Ab"};
    const QByteArray plain = SerializeLocalJobFile(job);
    EXPECT_EQ(plain.left(8), expected.left(8));
    // A character outside the basic plane is two UTF-16 units.
    EXPECT_EQ(PlainBytes().str(QString::fromUtf8("𝄞")).bytes(), QByteArray::fromHex("0200000034d81edd"));
    // 45123.25 days as an IEEE-754 double.
    EXPECT_EQ(PlainBytes().dateTime(45123.25).bytes(), QByteArray::fromHex("000000006808e640"));
}

TEST_F(JobFilesLayout, HandBuiltLocalFilesAndFoldersFileIsReadAndWrittenByteForByte)
{
    PlainBytes b;
    b.i32(5).i32(1);
    appendFilledLastResult(b);
    appendFilledFilesAndFoldersBlock(b);
    const QString path = folder + "/Documents.obd";
    writeScrambled(path, b.bytes());

    TJob_FilesAndFolders loaded("Documents");
    ASSERT_TRUE(loaded.LoadLocalJobFile(path));
    TJob_FilesAndFolders expected("Documents");
    fillFilesAndFolders(expected);
    expectSameLastResult(expected, loaded);
    expectSameSettings(expected, loaded);
    EXPECT_EQ(GetJobFileKind(path), 1);

    ASSERT_TRUE(expected.SaveLocalJobFile(path));
    EXPECT_EQ(readUnscrambled(path), b.bytes());
}

TEST_F(JobFilesLayout, HandBuiltLocalDriveImageFileIsReadAndWrittenByteForByte)
{
    PlainBytes b;
    b.i32(5).i32(2);
    appendFilledLastResult(b);
    appendFilledDriveImageBlock(b);
    const QString path = folder + "/System.obd";
    writeScrambled(path, b.bytes());

    TJob_DriveImage loaded("System");
    ASSERT_TRUE(loaded.LoadLocalJobFile(path));
    TJob_DriveImage expected("System");
    fillDriveImage(expected);
    expectSameLastResult(expected, loaded);
    expectSameSettings(expected, loaded);
    EXPECT_EQ(GetJobFileKind(path), 2);

    ASSERT_TRUE(expected.SaveLocalJobFile(path));
    EXPECT_EQ(readUnscrambled(path), b.bytes());
}

TEST_F(JobFilesLayout, RemoteWritersProduceTheDocumentedBytes)
{
    TJob_FilesAndFolders files("Documents");
    fillFilesAndFolders(files);
    files.SaveRemoteJobFile(folder + "/Documents.kxj", filledBookkeeping());
    PlainBytes f;
    f.i32(5).i32(1);
    appendFilledBookkeeping(f);
    appendFilledFilesAndFoldersBlock(f);
    EXPECT_EQ(readUnscrambled(folder + "/Documents.kxj"), f.bytes());

    TJob_DriveImage image("System");
    fillDriveImage(image);
    image.SaveRemoteJobFile(folder + "/System.kxj");
    PlainBytes d;
    d.i32(5).i32(2);
    appendFilledDriveImageBlock(d);
    EXPECT_EQ(readUnscrambled(folder + "/System.kxj"), d.bytes());
}

TEST_F(JobFilesLayout, VersionThreeRemoteFileHasNoKindField)
{
    PlainBytes b;
    b.i32(3);
    appendFilledBookkeeping(b);
    appendFilledFilesAndFoldersBlock(b);
    const QString path = folder + "/Old.kxj";
    writeScrambled(path, b.bytes());
    EXPECT_EQ(GetJobFileKind(path), 1);

    TJob_FilesAndFolders withSettings("Old");
    TRemoteBookkeeping read;
    ASSERT_TRUE(withSettings.LoadRemoteJobFile(path, true, read));
    expectSameBookkeeping(filledBookkeeping(), read);
    TJob_FilesAndFolders expected("Old");
    fillFilesAndFolders(expected);
    expected.SchedulingSettings.SchedulingType = stDisabled;
    expectSameSettings(expected, withSettings);

    TJob_FilesAndFolders bookkeepingOnly("Old");
    TRemoteBookkeeping again;
    ASSERT_TRUE(bookkeepingOnly.LoadRemoteJobFile(path, false, again));
    expectSameBookkeeping(filledBookkeeping(), again);
}

TEST_F(JobFilesLayout, VersionFourRemoteFileReadsTheKindField)
{
    // From version 4 on the second Int32 is the kind, whatever the version number after it.
    for (qint32 version : {4, 5, 6}) {
        SCOPED_TRACE(version);
        PlainBytes b;
        b.i32(version).i32(1);
        appendFilledBookkeeping(b);
        const QString path = folder + "/v.kxj";
        writeScrambled(path, b.bytes());
        TJob_FilesAndFolders job("v");
        TRemoteBookkeeping read;
        ASSERT_TRUE(job.LoadRemoteJobFile(path, false, read));
        expectSameBookkeeping(filledBookkeeping(), read);
    }
}

TEST_F(JobFilesLayout, NonPositiveStringCountsAreEmptyStrings)
{
    // A reader takes a count of 0 or less as the empty string, followed by nothing.
    PlainBytes b;
    b.i32(5).i32(2);
    b.dateTime(0).dateTime(0).byte(0).i32(0).i32(0).i32(0).i32(-4);           // history: a negative count
    b.i32(2).i32(-1).i32(0).byte(0).i32(-100).i32(0).i32(-2).str("").str(""); // drives: two empties
    appendFilledSchedule(b, 1);
    const QString path = folder + "/Counts.obd";
    writeScrambled(path, b.bytes());
    TJob_DriveImage loaded("Counts");
    ASSERT_TRUE(loaded.LoadLocalJobFile(path));
    EXPECT_EQ(loaded.Settings.SourceDrivesList, QStringList({QString(), QString()}));
    EXPECT_TRUE(loaded.Settings.NumberOfBackupVersionsToKeep.isEmpty());
    EXPECT_TRUE(loaded.DestinationPath.isEmpty());
    EXPECT_TRUE(loaded.BackupHistory.isEmpty());
    EXPECT_EQ(loaded.SchedulingSettings.SchedulingType, stDaysOfWeek);
}

} // namespace
