// The run's own reading and writing of the remote job file agree byte for byte with the job-file
// functions, and damaged files are refused as they refuse them.
#include "engine/RemoteBookkeepingFile.h"
#include "base/encryptor.h"
#include "jobs/JobFiles.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QtEndian>

using namespace TestEnvironment;

namespace {
TJob_FilesAndFolders& sampleJob()
{
    static TJob_FilesAndFolders job("Fotos");
    job.Settings.Sources.List = {"/home/ann/Fotos/*", "/home/ann/notes.txt"};
    job.Settings.Sources.FilterType = ftExclude;
    job.Settings.Sources.Extensions = "tmp;bak";
    job.Settings.Backup.BackupType = btInc;
    job.DestinationPath = "//nas/backups";
    job.Destination_NetworkUsername = "ann";
    job.SchedulingSettings.TimeTable = {"08:30:00"};
    return job;
}

TRunBookkeeping sampleBookkeeping()
{
    TRunBookkeeping b;
    b.MainBackupList = {"Incremental)", "2024-06-30 21;05;00 (Full)"};
    b.Files = {"Fotos/Straße/Ölbild.jpg", "Fotos/a.txt", "notes.txt"};
    b.Stamps = {ParseStamp(u"2024-03-09 07:05:02:045"), kNoStamp, ParseStamp(u"1999-12-31 23:59:59:999")};
    b.Dirs = {"Fotos", "Fotos/Straße", ""};
    b.SizeOfLastFullBackup = 5'000'000'000;
    b.SizeOfAllIncrementsOrLastDifferentialCopy = 12345;
    return b;
}

// Writes the sample as a run does: its files recorded in a list that began with `startedWith`.
bool writeSample(const QString& path, const QByteArray& startedWith)
{
    const TRunBookkeeping b = sampleBookkeeping();
    TRecordedFileList files;
    files.reset(startedWith);
    for (const QString& file : b.Files)
        files.append(file);
    return WriteRunBookkeeping(path, sampleJob(), b, files) && files.isEmpty();
}

TEST(RemoteBookkeepingFileTest, WritesWhatTheJobFileWriterWrites)
{
    const QString folder = makeFolder("kxj");
    const TRunBookkeeping b = sampleBookkeeping();
    ASSERT_TRUE(writeSample(folder + "/ours.kxj", RunBookkeepingPrefix(sampleJob(), b.MainBackupList)));
    TRemoteBookkeeping whole;
    whole.MainBackupList = b.MainBackupList;
    whole.PreviousLocalFilesList = b.Files;
    whole.PreviousLocalFilesTimeList = {"2024-03-09 07:05:02:045", "", "1999-12-31 23:59:59:999"};
    whole.PreviousLocalDirsList = b.Dirs;
    whole.SizeOfLastFullBackup = b.SizeOfLastFullBackup;
    whole.SizeOfAllIncrementsOrLastDifferentialCopy = b.SizeOfAllIncrementsOrLastDifferentialCopy;
    sampleJob().SaveRemoteJobFile(folder + "/theirs.kxj", whole);
    EXPECT_EQ(readFile(folder + "/ours.kxj"), readFile(folder + "/theirs.kxj"));
    // A list begun before the restore point list was final (or without it) still gives the same file.
    for (const QByteArray& startedWith :
         {QByteArray(), RunBookkeepingPrefix(sampleJob(), {"Incremental)"})}) {
        ASSERT_TRUE(writeSample(folder + "/other.kxj", startedWith));
        EXPECT_EQ(readFile(folder + "/other.kxj"), readFile(folder + "/theirs.kxj")) << startedWith.size();
    }

    // And the job-file reader reads ours back, settings included.
    TJob_FilesAndFolders reader("reader");
    TRemoteBookkeeping back;
    reader.LoadRemoteJobFile(folder + "/ours.kxj", true, back);
    EXPECT_EQ(back.PreviousLocalFilesTimeList, whole.PreviousLocalFilesTimeList);
    EXPECT_EQ(reader.Settings.Sources.List, sampleJob().Settings.Sources.List);
}

TEST(RemoteBookkeepingFileTest, ReadsTheJobFileWritersFilesOfEveryVersion)
{
    const QString folder = makeFolder("kxj-read");
    const TRunBookkeeping b = sampleBookkeeping();
    ASSERT_TRUE(writeSample(folder + "/v5.kxj", QByteArray()));
    TRunBookkeeping read;
    ASSERT_TRUE(ReadRunBookkeeping(folder + "/v5.kxj", read));
    EXPECT_EQ(read.MainBackupList, b.MainBackupList);
    EXPECT_EQ(read.Files, b.Files);
    EXPECT_EQ(read.Stamps, b.Stamps);
    EXPECT_EQ(read.Dirs, b.Dirs);
    EXPECT_EQ(read.SizeOfLastFullBackup, b.SizeOfLastFullBackup);
    EXPECT_EQ(read.SizeOfAllIncrementsOrLastDifferentialCopy, b.SizeOfAllIncrementsOrLastDifferentialCopy);

    // Version 3: no kind field after the version.
    QByteArray plain = UnscrambleConfiguration(readFile(folder + "/v5.kxj"));
    plain.remove(4, 4);
    qToLittleEndian<qint32>(3, plain.data());
    writeFile(folder + "/v3.kxj", ScrambleConfiguration(plain));
    ASSERT_TRUE(ReadRunBookkeeping(folder + "/v3.kxj", read));
    EXPECT_EQ(read.Files, b.Files);

    EXPECT_FALSE(ReadRunBookkeeping(folder + "/missing.kxj", read));
    EXPECT_TRUE(read.Files.isEmpty());
    for (const QByteArray& damaged :
         {QByteArray(), QByteArray(7, 'x'), readFile(folder + "/v5.kxj").left(60),
          ScrambleConfiguration(QByteArray("\x05\0\0\0\x01\0\0\0\xff\xff\xff\x7f", 12))}) {
        writeFile(folder + "/damaged.kxj", damaged);
        EXPECT_THROW(ReadRunBookkeeping(folder + "/damaged.kxj", read), TJobFileError) << damaged.size();
    }
}
} // namespace
