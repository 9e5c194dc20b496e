#include "JobFileTestSupport.h"

#include "base/encryptor.h"
#include "events/EventsLog.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QtEndian>

#include <cstring>

namespace JobFileTest {

PlainBytes& PlainBytes::i32(qint32 value)
{
    const quint32 u = quint32(value);
    for (int shift = 0; shift < 32; shift += 8)
        data.append(char((u >> shift) & 0xFF));
    return *this;
}

PlainBytes& PlainBytes::i64(qint64 value)
{
    const quint64 u = quint64(value);
    for (int shift = 0; shift < 64; shift += 8)
        data.append(char((u >> shift) & 0xFF));
    return *this;
}

PlainBytes& PlainBytes::byte(quint8 value)
{
    data.append(char(value));
    return *this;
}

PlainBytes& PlainBytes::dateTime(double value)
{
    qint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return i64(bits);
}

PlainBytes& PlainBytes::str(const QString& value)
{
    i32(qint32(value.size()));
    for (QChar unit : value) {
        data.append(char(unit.unicode() & 0xFF));
        data.append(char(unit.unicode() >> 8));
    }
    return *this;
}

PlainBytes& PlainBytes::list(std::initializer_list<QString> values)
{
    return list(QStringList(values));
}

PlainBytes& PlainBytes::list(const QStringList& values)
{
    i32(qint32(values.size()));
    for (const QString& value : values)
        str(value);
    return *this;
}

PlainBytes& PlainBytes::raw(const QByteArray& bytes)
{
    data.append(bytes);
    return *this;
}

namespace {
void fillSchedule(TSchedulingSettings& schedule)
{
    schedule.SchedulingType = stDaysOfMonth;
    schedule.DaysOfWeek[1] = true; // Monday
    schedule.DaysOfWeek[3] = true;
    schedule.DaysOfWeek[7] = true; // Sunday
    schedule.DaysOfMonth[1] = true;
    schedule.DaysOfMonth[15] = true;
    schedule.DaysOfMonth[31] = true;
    schedule.TimeTable = {"08:30:00", "12:00:00", "23:59:59"};
    schedule.LastModificationDateTime = 45100.125;
    schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = true;
    schedule.ShutdownPCInTheEnd = true;
}

void fillCommon(TJob& job)
{
    job.LastJobResult.StartTime = 45123.25;
    job.LastJobResult.EndTime = 45123.5;
    job.LastJobResult.Cancelled = true;
    job.LastJobResult.ErrorsCount = 3;
    job.LastJobResult.WarningsCount = -7;
    job.LogList.assign({"2024-07-18 06-00-00", "2024-07-19 06-00-01"});
    // Non-ASCII text, including a character outside the basic plane (two UTF-16 units).
    job.BackupHistory.assign({QString::fromUtf8("Größe: 12 MB ✓"), QString::fromUtf8("𝄞 note"), QString()});
    job.DestinationType = dtNetwork;
    job.DestinationPath = "//server/share/backups";
    job.Destination_NetworkUsername = "bob";
    job.Destination_NetworkPassword = QString::fromUtf8("p@ss wörd");
    fillSchedule(job.SchedulingSettings);
}

void expectSameSchedule(const TSchedulingSettings& expected, const TSchedulingSettings& actual)
{
    EXPECT_EQ(actual.SchedulingType, expected.SchedulingType);
    EXPECT_EQ(actual.DaysOfWeek, expected.DaysOfWeek);
    EXPECT_EQ(actual.DaysOfMonth, expected.DaysOfMonth);
    EXPECT_EQ(actual.TimeTable, expected.TimeTable);
    EXPECT_EQ(actual.LastModificationDateTime, expected.LastModificationDateTime);
    EXPECT_EQ(actual.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed,
              expected.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    EXPECT_EQ(actual.ShutdownPCInTheEnd, expected.ShutdownPCInTheEnd);
}

void expectSameDestination(const TJob& expected, const TJob& actual)
{
    EXPECT_EQ(actual.DestinationType, expected.DestinationType);
    EXPECT_EQ(actual.DestinationPath, expected.DestinationPath);
    EXPECT_EQ(actual.Destination_NetworkUsername, expected.Destination_NetworkUsername);
    EXPECT_EQ(actual.Destination_NetworkPassword, expected.Destination_NetworkPassword);
}
} // namespace

void fillFilesAndFolders(TJob_FilesAndFolders& job)
{
    fillCommon(job);
    job.Settings.Sources.List = {"/home/ann/Documents/*", "/home/ann/notes.txt", "/*"};
    job.Settings.Sources.FilterType = ftExclude;
    job.Settings.Sources.Extensions = "tmp;bak";
    job.Settings.Backup.BackupType = btFull;
    job.Settings.Backup.PerformFullBackup_EveryCopies = 9;
    job.Settings.Backup.NumberFullCopiesToKeep = 4;
    job.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup = true;
}

void fillDriveImage(TJob_DriveImage& job)
{
    fillCommon(job);
    job.Settings.SourceDrivesList = {"/dev/sda", "/dev/nvme0n1"};
    job.Settings.AutocleanOldBackups = true;
    job.Settings.NumberOfBackupVersionsToKeep = "12";
}

TRemoteBookkeeping filledBookkeeping()
{
    TRemoteBookkeeping b;
    b.MainBackupList = {"2024-07-18 06-00-00 (full)", "2024-07-19 06-00-00"};
    b.PreviousLocalFilesList = {"/home/ann/a.txt", "/home/ann/b.txt"};
    b.PreviousLocalFilesTimeList = {"2024-07-01 10:00:00:000", "2024-07-02 11:30:00:123"};
    b.PreviousLocalDirsList = {"/home/ann", "/home/ann/sub"};
    b.SizeOfLastFullBackup = 5'000'000'000'123;
    b.SizeOfAllIncrementsOrLastDifferentialCopy = -1;
    return b;
}

void expectSameSettings(const TJob_FilesAndFolders& expected, const TJob_FilesAndFolders& actual)
{
    EXPECT_EQ(actual.Settings.Sources.List, expected.Settings.Sources.List);
    EXPECT_EQ(actual.Settings.Sources.FilterType, expected.Settings.Sources.FilterType);
    EXPECT_EQ(actual.Settings.Sources.Extensions, expected.Settings.Sources.Extensions);
    EXPECT_EQ(actual.Settings.Backup.BackupType, expected.Settings.Backup.BackupType);
    EXPECT_EQ(actual.Settings.Backup.PerformFullBackup_EveryCopies,
              expected.Settings.Backup.PerformFullBackup_EveryCopies);
    EXPECT_EQ(actual.Settings.Backup.NumberFullCopiesToKeep, expected.Settings.Backup.NumberFullCopiesToKeep);
    EXPECT_EQ(actual.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup,
              expected.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup);
    expectSameDestination(expected, actual);
    expectSameSchedule(expected.SchedulingSettings, actual.SchedulingSettings);
}

void expectSameSettings(const TJob_DriveImage& expected, const TJob_DriveImage& actual)
{
    EXPECT_EQ(actual.Settings.SourceDrivesList, expected.Settings.SourceDrivesList);
    EXPECT_EQ(actual.Settings.AutocleanOldBackups, expected.Settings.AutocleanOldBackups);
    EXPECT_EQ(actual.Settings.NumberOfBackupVersionsToKeep, expected.Settings.NumberOfBackupVersionsToKeep);
    expectSameDestination(expected, actual);
    expectSameSchedule(expected.SchedulingSettings, actual.SchedulingSettings);
}

void expectSameLastResult(const TJob& expected, const TJob& actual)
{
    EXPECT_EQ(actual.LastJobResult.StartTime.load(), expected.LastJobResult.StartTime.load());
    EXPECT_EQ(actual.LastJobResult.EndTime.load(), expected.LastJobResult.EndTime.load());
    EXPECT_EQ(actual.LastJobResult.Cancelled.load(), expected.LastJobResult.Cancelled.load());
    EXPECT_EQ(actual.LastJobResult.ErrorsCount.load(), expected.LastJobResult.ErrorsCount.load());
    EXPECT_EQ(actual.LastJobResult.WarningsCount.load(), expected.LastJobResult.WarningsCount.load());
    EXPECT_EQ(actual.LogList.snapshot(), expected.LogList.snapshot());
    EXPECT_EQ(actual.BackupHistory.snapshot(), expected.BackupHistory.snapshot());
}

void expectSameBookkeeping(const TRemoteBookkeeping& expected, const TRemoteBookkeeping& actual)
{
    EXPECT_EQ(actual.MainBackupList, expected.MainBackupList);
    EXPECT_EQ(actual.PreviousLocalFilesList, expected.PreviousLocalFilesList);
    EXPECT_EQ(actual.PreviousLocalFilesTimeList, expected.PreviousLocalFilesTimeList);
    EXPECT_EQ(actual.PreviousLocalDirsList, expected.PreviousLocalDirsList);
    EXPECT_EQ(actual.SizeOfLastFullBackup, expected.SizeOfLastFullBackup);
    EXPECT_EQ(actual.SizeOfAllIncrementsOrLastDifferentialCopy,
              expected.SizeOfAllIncrementsOrLastDifferentialCopy);
}

QStringList takeEvents()
{
    QStringList texts;
    for (const QString& line : EventsQueue().takeAll()) {
        // "<date> <time>: <text>"; the time has colons but no colon followed by a blank.
        const qsizetype at = line.indexOf(QStringLiteral(": "));
        texts.append(at < 0 ? line : line.mid(at + 2));
    }
    return texts;
}

QString loadError(const QString& subject, int code)
{
    return QStringLiteral("Error loading job \"%1\". Code: %2").arg(subject).arg(code);
}

void writeScrambled(const QString& path, const QByteArray& plain)
{
    TestEnvironment::writeFile(path, ScrambleConfiguration(plain));
}

QByteArray readUnscrambled(const QString& path)
{
    return UnscrambleConfiguration(TestEnvironment::readFile(path));
}

} // namespace JobFileTest
