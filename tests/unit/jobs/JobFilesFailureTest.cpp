// Damaged, foreign, truncated and unwritable job files: the events, the results, and never a crash.
#include "JobFileTestSupport.h"

#include "base/encryptor.h"
#include "options/uOptions.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <functional>

using namespace JobFileTest;

namespace {

class JobFilesFailure : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnvironment::makeFolder("failure");
        takeEvents();
    }
    void TearDown() override { takeEvents(); }

    QString folder;
};

unsigned modeOf(const QString& path)
{
    struct stat info
    {
    };
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return unsigned(info.st_mode & 07777);
}

QByteArray filledLocalFilesAndFolders()
{
    TJob_FilesAndFolders job("Documents");
    fillFilesAndFolders(job);
    return SerializeLocalJobFile(job);
}

QByteArray filledLocalDriveImage()
{
    TJob_DriveImage job("System");
    fillDriveImage(job);
    return SerializeLocalJobFile(job);
}

TEST_F(JobFilesFailure, EveryTruncationOfALocalFileIsReportedAsCodeOne)
{
    const struct
    {
        const char* name;
        QByteArray plain;
        std::function<bool(const QString&)> load;
    } kinds[] = {
        {"files and folders", filledLocalFilesAndFolders(),
         [](const QString& path) { return TJob_FilesAndFolders("Documents").LoadLocalJobFile(path); }},
        {"drive image", filledLocalDriveImage(),
         [](const QString& path) { return TJob_DriveImage("Documents").LoadLocalJobFile(path); }},
    };
    const QString path = folder + "/Documents.obd";
    for (const auto& kind : kinds) {
        const QByteArray scrambled = ScrambleConfiguration(kind.plain);
        for (qsizetype length = 0; length < scrambled.size(); ++length) {
            SCOPED_TRACE(std::string(kind.name) + ", length " + std::to_string(length));
            TestEnvironment::writeFile(path, scrambled.left(length));
            ASSERT_FALSE(kind.load(path));
            ASSERT_EQ(takeEvents(), QStringList{loadError("Documents", 1)});
        }
        TestEnvironment::writeFile(path, scrambled);
        EXPECT_TRUE(kind.load(path));
        EXPECT_EQ(takeEvents(), QStringList());
    }
}

TEST_F(JobFilesFailure, FieldsReadBeforeTheErrorStayInTheJob)
{
    // Cut inside the extensions, right after the source list and the filter type.
    TJob_FilesAndFolders saved("Documents");
    fillFilesAndFolders(saved);
    saved.Settings.Sources.FilterType = ftIncludeOnly;
    const QByteArray plain = SerializeLocalJobFile(saved);
    const QByteArray sources = PlainBytes().list(saved.Settings.Sources.List).bytes();
    const qsizetype sourcesAt = plain.indexOf(sources);
    ASSERT_GT(sourcesAt, 0);
    writeScrambled(folder + "/cut.obd", plain.left(sourcesAt + sources.size() + 1 + 2));

    TJob_FilesAndFolders loaded("Documents");
    EXPECT_FALSE(loaded.LoadLocalJobFile(folder + "/cut.obd"));
    expectSameLastResult(saved, loaded);
    EXPECT_EQ(loaded.Settings.Sources.List, saved.Settings.Sources.List);
    EXPECT_EQ(loaded.Settings.Sources.FilterType, ftIncludeOnly);
    EXPECT_TRUE(loaded.Settings.Sources.Extensions.isEmpty());
    EXPECT_EQ(loaded.SchedulingSettings.SchedulingType, stDisabled);
}

TEST_F(JobFilesFailure, LocalReaderCases)
{
    PlainBytes hugeList;
    hugeList.i32(5).i32(1).dateTime(1).dateTime(2).byte(0).i32(0).i32(0).i32(0x7FFFFFFF);
    PlainBytes hugeString;
    hugeString.i32(5).i32(1).dateTime(1).dateTime(2).byte(0).i32(0).i32(0).i32(1).i32(0x7FFFFFFF);
    const QByteArray valid = filledLocalFilesAndFolders();
    // Offsets of the enumeration fields in default jobs' contents (all lists and strings empty but
    // the drive-image "3").
    const QByteArray filesDefaults = SerializeLocalJobFile(TJob_FilesAndFolders("d"));
    const QByteArray imageDefaults = SerializeLocalJobFile(TJob_DriveImage("d"));
    const qsizetype filterAt = 8 + 8 + 8 + 1 + 4 + 4 + 4 + 4 + 4;
    const qsizetype destinationTypeAt = filterAt + 1 + 4 * 4;
    const qsizetype backupTypeAt = destinationTypeAt + 4;
    const qsizetype schedulingTypeAt = destinationTypeAt + 4 * 4 + 1;
    const qsizetype imageDestinationTypeAt = 8 + 8 + 8 + 1 + 4 + 4 + 4 + 4 + 4 + 1 + 4 + 2;
    auto patched = [](QByteArray content, qsizetype at, qint32 value) {
        const QByteArray bytes = PlainBytes().i32(value).bytes();
        content.replace(at, 4, bytes);
        return content;
    };
    QByteArray badFilter = filesDefaults;
    badFilter[filterAt] = 3;

    enum Store
    {
        Nothing,
        Folder,
        Raw,
        Scrambled
    };
    enum Kinds
    {
        FilesAndFolders = 1,
        DriveImage = 2,
        Both = 3
    };
    const struct
    {
        const char* name;
        Store store;
        QByteArray content;
        int kinds;
        bool expected;
        int eventCode; // 0: no event
    } cases[] = {
        {"missing", Nothing, {}, Both, false, 0},
        {"a folder", Folder, {}, Both, false, 2},
        {"empty", Raw, {}, Both, false, 1},
        {"three bytes", Scrambled, QByteArray("\x05\x00\x00", 3), Both, false, 1},
        {"plain text", Raw, "[Job]\nname=Documents\n", Both, false, 1},
        {"unscrambled valid content", Raw, valid, Both, false, 1},
        {"huge list count", Scrambled, hugeList.bytes(), Both, false, 1},
        {"huge string count", Scrambled, hugeString.bytes(), Both, false, 1},
        {"filter type 3", Scrambled, badFilter, FilesAndFolders, false, 1},
        {"destination type 2", Scrambled, patched(filesDefaults, destinationTypeAt, 2), FilesAndFolders,
         false, 1},
        {"backup type -1", Scrambled, patched(filesDefaults, backupTypeAt, -1), FilesAndFolders, false, 1},
        {"scheduling type 3", Scrambled, patched(filesDefaults, schedulingTypeAt, 3), FilesAndFolders, false,
         1},
        {"image destination type 5", Scrambled, patched(imageDefaults, imageDestinationTypeAt, 5), DriveImage,
         false, 1},
        {"valid defaults", Scrambled, filesDefaults, FilesAndFolders, true, 0},
        {"valid image defaults", Scrambled, imageDefaults, DriveImage, true, 0},
        {"valid with a trailing tail", Scrambled, valid + QByteArray(300, 'x'), FilesAndFolders, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name + ".obd";
        if (c.store == Folder)
            QDir().mkpath(path);
        else if (c.store == Raw)
            TestEnvironment::writeFile(path, c.content);
        else if (c.store == Scrambled)
            writeScrambled(path, c.content);
        const QStringList events =
            c.eventCode ? QStringList{loadError("Documents", c.eventCode)} : QStringList();
        if (c.kinds & FilesAndFolders) {
            TJob_FilesAndFolders job("Documents");
            EXPECT_EQ(job.LoadLocalJobFile(path), c.expected);
            EXPECT_EQ(takeEvents(), events);
        }
        if (c.kinds & DriveImage) {
            TJob_DriveImage job("Documents");
            EXPECT_EQ(job.LoadLocalJobFile(path), c.expected);
            EXPECT_EQ(takeEvents(), events);
        }
    }
}

TEST_F(JobFilesFailure, GetJobFileKindCases)
{
    QDir().mkpath(folder + "/adir.obd");
    const struct
    {
        const char* name;
        bool write;
        QByteArray plain;
        int expected;
        int eventCode; // 0: no event
    } cases[] = {
        {"missing", false, {}, 0, 0},
        {"empty", true, {}, 0, 1},
        {"three bytes", true, QByteArray("\x05\x00\x00", 3), 0, 1},
        {"version 3 alone", true, PlainBytes().i32(3).bytes(), 1, 0},
        {"version 2, then anything", true, PlainBytes().i32(2).i32(2).bytes(), 1, 0},
        {"version 0", true, PlainBytes().i32(0).bytes(), 1, 0},
        {"negative version", true, PlainBytes().i32(-9).bytes(), 1, 0},
        {"version 4 without kind", true, PlainBytes().i32(4).bytes(), 0, 1},
        {"version 5, kind cut", true, PlainBytes().i32(5).byte(2).bytes(), 0, 1},
        {"version 4, kind 2", true, PlainBytes().i32(4).i32(2).bytes(), 2, 0},
        {"version 5, kind 1", true, PlainBytes().i32(5).i32(1).bytes(), 1, 0},
        {"version 5, kind 2", true, PlainBytes().i32(5).i32(2).bytes(), 2, 0},
        {"version 99, kind 2", true, PlainBytes().i32(99).i32(2).bytes(), 2, 0},
        {"unknown kind 7", true, PlainBytes().i32(5).i32(7).bytes(), 0, 1},
        {"kind 0", true, PlainBytes().i32(5).i32(0).bytes(), 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name + ".obd";
        if (c.write)
            writeScrambled(path, c.plain);
        EXPECT_EQ(GetJobFileKind(path), c.expected);
        EXPECT_EQ(takeEvents(), c.eventCode ? QStringList{loadError(path, c.eventCode)} : QStringList());
    }
    SCOPED_TRACE("a folder");
    EXPECT_EQ(GetJobFileKind(folder + "/adir.obd"), 0);
    EXPECT_EQ(takeEvents(), QStringList{loadError(folder + "/adir.obd", 2)});
}

TEST_F(JobFilesFailure, EveryTruncationOfARemoteFileThrowsWhenItsFieldsAreNeeded)
{
    TJob_FilesAndFolders files("Documents");
    fillFilesAndFolders(files);
    const QByteArray filesPlain = SerializeRemoteJobFile(files, filledBookkeeping());
    const TRemoteBookkeeping b = filledBookkeeping();
    const qsizetype bookkeepingEnd = PlainBytes()
                                         .i32(5)
                                         .i32(1)
                                         .list(b.MainBackupList)
                                         .list(b.PreviousLocalFilesList)
                                         .list(b.PreviousLocalFilesTimeList)
                                         .list(b.PreviousLocalDirsList)
                                         .i64(0)
                                         .i64(0)
                                         .bytes()
                                         .size();
    TJob_DriveImage image("System");
    fillDriveImage(image);
    const QByteArray imagePlain = SerializeRemoteJobFile(image);
    const QString path = folder + "/remote.kxj";

    for (qsizetype length = 0; length < filesPlain.size(); ++length) {
        SCOPED_TRACE("files and folders, length " + std::to_string(length));
        writeScrambled(path, filesPlain.left(length));
        TJob_FilesAndFolders job("Documents");
        TRemoteBookkeeping read;
        ASSERT_THROW(job.LoadRemoteJobFile(path, true, read), TJobFileError);
        if (length < bookkeepingEnd)
            ASSERT_THROW(job.LoadRemoteJobFile(path, false, read), TJobFileError);
        else
            ASSERT_TRUE(job.LoadRemoteJobFile(path, false, read));
    }
    for (qsizetype length = 0; length < imagePlain.size(); ++length) {
        SCOPED_TRACE("drive image, length " + std::to_string(length));
        writeScrambled(path, imagePlain.left(length));
        TJob_DriveImage job("System");
        ASSERT_THROW(job.LoadRemoteJobFile(path, true), TJobFileError);
        if (length < 8)
            ASSERT_THROW(job.LoadRemoteJobFile(path, false), TJobFileError);
        else
            ASSERT_TRUE(job.LoadRemoteJobFile(path, false));
    }
    // Remote readers leave the reporting to their callers.
    EXPECT_EQ(takeEvents(), QStringList());
}

TEST_F(JobFilesFailure, RemoteReaderCases)
{
    QDir().mkpath(folder + "/adir.kxj");
    TJob_FilesAndFolders job("Documents");
    TRemoteBookkeeping read;
    EXPECT_THROW(job.LoadRemoteJobFile(folder + "/adir.kxj", false, read), TJobFileError);
    TJob_DriveImage image("System");
    EXPECT_THROW(image.LoadRemoteJobFile(folder + "/adir.kxj", true), TJobFileError);

    // The discarded scheduling type of an imported job is not checked; a kept enumeration is.
    TJob_FilesAndFolders source("Documents");
    QByteArray plain = SerializeRemoteJobFile(source, {});
    const qsizetype schedulingTypeAt = plain.size() - (4 + 7 + 31 + 4 + 8 + 2);
    plain.replace(schedulingTypeAt, 4, PlainBytes().i32(9).bytes());
    writeScrambled(folder + "/sched.kxj", plain);
    EXPECT_TRUE(job.LoadRemoteJobFile(folder + "/sched.kxj", true, read));
    EXPECT_EQ(job.SchedulingSettings.SchedulingType, stDisabled);
    plain.replace(schedulingTypeAt - 1 - 3 * 4, 4, PlainBytes().i32(3).bytes()); // backup type
    writeScrambled(folder + "/backup.kxj", plain);
    EXPECT_THROW(job.LoadRemoteJobFile(folder + "/backup.kxj", true, read), TJobFileError);
    EXPECT_EQ(takeEvents(), QStringList());
}

TEST_F(JobFilesFailure, LocalWriterReportsAndReturnsFalse)
{
    const QString noFolder = folder + "/missing-folder/Documents.obd";
    QDir().mkpath(folder + "/taken.obd");
    for (const QString& path : {noFolder, folder + "/taken.obd"}) {
        SCOPED_TRACE(path.toStdString());
        TJob_FilesAndFolders files("Documents");
        fillFilesAndFolders(files);
        EXPECT_FALSE(files.SaveLocalJobFile(path));
        const QString expected =
            "Unable to save the settings. Please check the possibility to write to the file: " + path;
        EXPECT_EQ(takeEvents(), QStringList{expected});
        TJob_DriveImage image("System");
        EXPECT_FALSE(image.SaveLocalJobFile(path));
        EXPECT_EQ(takeEvents(), QStringList{expected});

        // Remote writers swallow the failure.
        files.SaveRemoteJobFile(path, filledBookkeeping());
        image.SaveRemoteJobFile(path);
        EXPECT_EQ(takeEvents(), QStringList());
    }
    EXPECT_FALSE(QFile::exists(noFolder));
    EXPECT_TRUE(QFileInfo(folder + "/taken.obd").isDir());
}

TEST_F(JobFilesFailure, WrittenFilesAreOwnerOnlyAndReplaceLongerOldFilesWhole)
{
    TJob_FilesAndFolders big("Documents");
    fillFilesAndFolders(big);
    for (int i = 0; i < 200; ++i)
        big.BackupHistory.append(QString("history line %1").arg(i));
    TJob_FilesAndFolders small("Documents");
    small.Destination_NetworkPassword = "secret";
    const QString local = folder + "/Documents.obd";
    const QString remote = folder + "/Documents.kxj";
    TestEnvironment::writeFile(local, "old");
    QFile::setPermissions(local, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);

    ASSERT_TRUE(big.SaveLocalJobFile(local));
    ASSERT_TRUE(small.SaveLocalJobFile(local));
    big.SaveRemoteJobFile(remote, filledBookkeeping());
    small.SaveRemoteJobFile(remote, {});
    for (const QString& path : {local, remote}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(modeOf(path), 0600u);
    }
    EXPECT_EQ(QFileInfo(local).size(), SerializeLocalJobFile(small).size());
    EXPECT_EQ(QFileInfo(remote).size(), SerializeRemoteJobFile(small, {}).size());
    TJob_DriveImage image("System");
    image.SaveLocalJobFile(folder + "/System.obd");
    image.SaveRemoteJobFile(folder + "/System.kxj");
    for (const QString& path : {folder + "/System.obd", folder + "/System.kxj"})
        EXPECT_EQ(modeOf(path), 0600u) << path.toStdString();
    // No temporary file is left beside them.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 4);
}

TEST_F(JobFilesFailure, AnOlderLongerTailAfterTheContentIsIgnored)
{
    // A file overwritten in place by a shorter content keeps the old bytes after it.
    TJob_FilesAndFolders big("Documents");
    fillFilesAndFolders(big);
    for (int i = 0; i < 50; ++i)
        big.Settings.Sources.List.append(QString("/data/folder%1/*").arg(i));
    TJob_FilesAndFolders small("Documents");
    small.DestinationPath = "/media/usb";
    small.SchedulingSettings.TimeTable = {"10:00:00"};

    const QByteArray bigFile = ScrambleConfiguration(SerializeLocalJobFile(big));
    QByteArray mixed = bigFile;
    const QByteArray smallFile = ScrambleConfiguration(SerializeLocalJobFile(small));
    mixed.replace(0, smallFile.size(), smallFile);
    ASSERT_GT(mixed.size(), smallFile.size());
    TestEnvironment::writeFile(folder + "/Documents.obd", mixed);
    TJob_FilesAndFolders loaded("Documents");
    ASSERT_TRUE(loaded.LoadLocalJobFile(folder + "/Documents.obd"));
    expectSameLastResult(small, loaded);
    expectSameSettings(small, loaded);

    QByteArray mixedRemote = ScrambleConfiguration(SerializeRemoteJobFile(big, filledBookkeeping()));
    const QByteArray smallRemote = ScrambleConfiguration(SerializeRemoteJobFile(small, {}));
    mixedRemote.replace(0, smallRemote.size(), smallRemote);
    TestEnvironment::writeFile(folder + "/Documents.kxj", mixedRemote);
    TJob_FilesAndFolders imported("Documents");
    TRemoteBookkeeping read;
    ASSERT_TRUE(imported.LoadRemoteJobFile(folder + "/Documents.kxj", true, read));
    expectSameBookkeeping(TRemoteBookkeeping(), read);
    expectSameSettings(small, imported);
    EXPECT_EQ(takeEvents(), QStringList());
}

TEST_F(JobFilesFailure, EventsAreTranslatedBeforeTheNameIsInserted)
{
    const TLanguageOptions saved = GlobalOptions.Language;
    GlobalOptions.Language.iLanguage = 1;
    GlobalOptions.Language.Translations = {
        {"Error loading job \"%s\". Code: 1",
         "Unable to save the settings. Please check the possibility to write to the file:"},
        {QString::fromUtf8("Fehler beim Laden von »%s«. Code: 1"), "Speichern nicht möglich:"},
    };
    writeScrambled(folder + "/bad.obd", "\x01");
    TJob_FilesAndFolders job("50%s off");
    EXPECT_FALSE(job.LoadLocalJobFile(folder + "/bad.obd"));
    EXPECT_FALSE(job.SaveLocalJobFile(folder + "/none/x.obd"));
    GlobalOptions.Language = saved;
    EXPECT_EQ(takeEvents(),
              QStringList({QString::fromUtf8("Fehler beim Laden von »50%s off«. Code: 1"),
                           QString::fromUtf8("Speichern nicht möglich: ") + folder + "/none/x.obd"}));
}

} // namespace
