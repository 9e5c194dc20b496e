#include "jobs/JobSettingsChecks.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kExtensionsHelp = "Please specify extensions separated by ;\r\nExample: txt;doc;exe";

TEST(JobSettingsChecksTest, ExtensionFilterIsNormalisedThenValidated)
{
    struct Case
    {
        QString typed;
        QString normalised;
        QString message; // empty: passes
    };
    const Case cases[] = {
        {" ;TXT; Doc;", "txt;doc", ""},
        {"txt;doc;", "txt;doc", ""},
        {"Mp3", "mp3", ""},
        {"txt;;doc", "txt;;doc", ""},
        {";", "", kExtensionsHelp},
        {";;", "", kExtensionsHelp},
        {"   ", "", kExtensionsHelp},
        {".txt", ".txt", "Characters * . , \\ / are not allowed.\r\n\r\n" + kExtensionsHelp},
        {"*.doc", "*.doc", "Characters * . , \\ / are not allowed.\r\n\r\n" + kExtensionsHelp},
        {"txt,doc", "txt,doc", "Characters * . , \\ / are not allowed.\r\n\r\n" + kExtensionsHelp},
        {"a/b", "a/b", "Characters * . , \\ / are not allowed.\r\n\r\n" + kExtensionsHelp},
        {"a\\b", "a\\b", "Characters * . , \\ / are not allowed.\r\n\r\n" + kExtensionsHelp},
    };
    for (const Case& c : cases) {
        QString text = c.typed;
        const TSettingsCheck check = NormalizeExtensionFilter(text);
        EXPECT_EQ(text, c.normalised) << c.typed.toStdString();
        EXPECT_EQ(check.Message, c.message) << c.typed.toStdString();
        EXPECT_EQ(check.Refused(), !c.message.isEmpty()) << c.typed.toStdString();
        EXPECT_FALSE(check.IsError);
    }
}

TEST(JobSettingsChecksTest, ClashingNamesNameTheLaterSourceFirst)
{
    struct Case
    {
        QStringList sources;
        QString clash;
    };
    const Case cases[] = {
        {{"/home/ann/Work/*", "/data/Work/*"}, "/data/Work\r\n/home/ann/Work"},
        {{"/home/ann/Work/*", "/srv/Other/*", "/data/WORK/*"}, "/data/WORK\r\n/home/ann/Work"},
        {{"/a/notes.txt", "/b/Notes.TXT"}, "/b/Notes.TXT\r\n/a/notes.txt"},
        // A folder and a file of one name land in different places: no clash.
        {{"/a/report/*", "/b/report"}, ""},
        // The root of the file system has no name: it clashes with nothing, not even with itself.
        {{"/*", "/*", "/home/*"}, ""},
        {{"/home/ann/*", "/media/ann/USB/*", "/home/ann/a.txt"}, ""},
        // The first clash is reported, not a later one.
        {{"/x/A/*", "/y/B/*", "/z/b/*", "/w/a/*"}, "/z/b\r\n/y/B"},
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDuplicatedNamesOfFoldersOrFiles(c.sources), c.clash)
            << c.sources.join(' ').toStdString();
}

TEST(JobSettingsChecksTest, SourcesAreCheckedInOrder)
{
    QString extensions = "txt";
    TSettingsCheck check = CheckFilesSources({}, ftNoFilters, extensions);
    EXPECT_EQ(check.Code, ccNoSources);
    EXPECT_EQ(check.Message, "Please add one or more sources to the list");

    // The filter is checked only when one is chosen, and is normalised in place.
    extensions = ".txt";
    EXPECT_FALSE(CheckFilesSources({"/home/a/*"}, ftNoFilters, extensions).Refused());
    EXPECT_EQ(extensions, ".txt");
    check = CheckFilesSources({"/home/a/*", "/data/a/*"}, ftExclude, extensions);
    EXPECT_EQ(check.Code, ccBadExtensionFilter) << "the filter comes before the clash";
    extensions = " ;Log;";
    EXPECT_FALSE(CheckFilesSources({"/home/a/*"}, ftIncludeOnly, extensions).Refused());
    EXPECT_EQ(extensions, "log");

    check = CheckFilesSources({"/home/ann/Work/*", "/data/Work/*", "/*"}, ftNoFilters, extensions);
    EXPECT_EQ(check.Code, ccDuplicatedNames);
    EXPECT_TRUE(check.IsError);
    EXPECT_EQ(check.Message,
              "Among the items there are files or folders having the same name, therefore they could "
              "be overwritten by each other and you could have incorrect backups.\r\n\r\nExample:\r\n"
              "/data/Work\r\n/home/ann/Work");

    check = CheckFilesSources({"/home/ann/*", "/*"}, ftNoFilters, extensions);
    EXPECT_EQ(check.Code, ccWholeFileSystem);
    EXPECT_FALSE(check.Refused()) << "only a notice: the wizard goes on";
    EXPECT_FALSE(check.IsError);
    EXPECT_EQ(
        check.Message,
        "You have selected the whole file system / for backup.\r\n\r\nPlease note that only the files and "
        "folders will be copied. You will not be able to restore the entire operating system from this "
        "backup.\r\nIf you want to make an exact copy of the operating system with all settings, files and "
        "applications, exit the Wizard.\r\nThen create a new backup job of type \"Drive Image Backup\".");
    // A mounted volume is not the whole file system.
    EXPECT_EQ(CheckFilesSources({"/media/ann/USB/*"}, ftNoFilters, extensions).Code, ccPassed);
}

TEST(JobSettingsChecksTest, DestinationChecks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));

    EXPECT_FALSE(CheckExternalDestination(dir.path()).Refused());
    for (const QString& path : {QString(), dir.filePath("missing"), file.fileName()}) {
        const TSettingsCheck check = CheckExternalDestination(path);
        EXPECT_EQ(check.Code, ccNoSuchFolder) << path.toStdString();
        EXPECT_EQ(check.Message, "Please choose existing folder");
    }

    // The network path must be longer than one character; its form is checked on connecting.
    for (const QString& path : {QString(), QString("/"), QString("\\")}) {
        const TSettingsCheck check = CheckNetworkDestination(path);
        EXPECT_EQ(check.Code, ccBadUncPath) << path.toStdString();
        EXPECT_EQ(check.Message, "Please choose correct UNC-path");
    }
    for (const QString& path :
         {QString("//"), QString("\\\\"), QString("//x"), QString("//server/share/dir")})
        EXPECT_FALSE(CheckNetworkDestination(path).Refused()) << path.toStdString();

    EXPECT_EQ(CheckDiskChosen("").Message, "Please choose a disk");
    EXPECT_FALSE(CheckDiskChosen("/media/usb").Refused());
    EXPECT_EQ(CheckDriveImageSources({}).Message, "Please add one or more sources to the list");
    EXPECT_FALSE(CheckDriveImageSources({"/dev/sda1"}).Refused());
}

TEST(JobSettingsChecksTest, ScheduleNeedsADayAndATimeOnlyWhenDaysAreChosen)
{
    TSchedulingSettings schedule;
    EXPECT_FALSE(CheckSchedule(schedule).Refused()) << "disabled: neither days nor times needed";
    schedule.TimeTable = QStringList{"08:00:00"};
    schedule.DaysOfMonth[31] = true;
    EXPECT_FALSE(CheckSchedule(schedule).Refused());

    schedule.SchedulingType = stDaysOfWeek;
    TSettingsCheck check = CheckSchedule(schedule);
    EXPECT_EQ(check.Code, ccNoDay) << "a month day does not count for a weekly schedule";
    EXPECT_EQ(check.Message, "Please specify at least one day.");
    schedule.DaysOfWeek[7] = true;
    EXPECT_FALSE(CheckSchedule(schedule).Refused());
    schedule.TimeTable.clear();
    check = CheckSchedule(schedule);
    EXPECT_EQ(check.Code, ccEmptyTimetable);
    EXPECT_EQ(check.Message, "Please add at least one record to the timetable.");

    schedule.SchedulingType = stDaysOfMonth;
    schedule.DaysOfMonth[31] = false;
    EXPECT_EQ(CheckSchedule(schedule).Code, ccNoDay) << "the day comes before the timetable";
    schedule.DaysOfMonth[1] = true;
    EXPECT_EQ(CheckSchedule(schedule).Code, ccEmptyTimetable);
}

TEST(JobSettingsChecksTest, OnlyExistingSourcesAreKeptAsWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("Work"));
    QFile file(dir.filePath("a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(dir.filePath("Work"), dir.filePath("link")));

    const QStringList sources = {dir.filePath("Work/*"),
                                 dir.filePath("Gone/*"),
                                 dir.filePath("a.txt"),
                                 dir.filePath("gone.txt"),
                                 "/*",
                                 dir.filePath("Work"),
                                 dir.filePath("a.txt/*"),
                                 dir.filePath("link/*")};
    // A folder named as a file and a file named as a folder do not exist as such.
    EXPECT_EQ(ExistingSources(sources),
              QStringList({dir.filePath("Work/*"), dir.filePath("a.txt"), "/*", dir.filePath("link/*")}));
    EXPECT_EQ(SourceEntryPath("/*"), "/");
    EXPECT_EQ(SourceEntryPath(dir.filePath("Work/*")), dir.filePath("Work"));
    EXPECT_EQ(SourceEntryPath("/a/b.txt"), "/a/b.txt");
}

} // namespace
