#include "jobs/JobFiles.h"

#include "base/BinaryStream.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "platform/ConfigurationFile.h"

namespace {

// An enumeration stored as a number: a value this program does not know means a damaged or foreign
// file, and is refused rather than handed to code that switches on it.
template <typename Enum> Enum checkedOrdinal(qint32 value, Enum last)
{
    if (value < 0 || value > qint32(last))
        throw TBinaryReadError("enumeration value out of range");
    return Enum(value);
}

void writeHeader(TBinaryWriter& out, qint32 kind)
{
    out.writeInt32(kJobFileVersion);
    out.writeInt32(kind);
}

// Version and kind, read and not checked: the callers chose the reader by the kind already.
void skipHeader(TBinaryReader& in)
{
    in.readInt32();
    in.readInt32();
}

// Fields 1 to 7 of a local file: the last result, the kept logs and the history.
void writeLastResult(TBinaryWriter& out, const TJob& job)
{
    out.writeDouble(job.LastJobResult.StartTime.load());
    out.writeDouble(job.LastJobResult.EndTime.load());
    out.writeBool(job.LastJobResult.Cancelled.load());
    out.writeInt32(job.LastJobResult.ErrorsCount.load());
    out.writeInt32(job.LastJobResult.WarningsCount.load());
    out.writeStringList(job.LogList.snapshot());
    out.writeStringList(job.BackupHistory.snapshot());
}

void readLastResult(TBinaryReader& in, TJob& job)
{
    job.LastJobResult.StartTime.store(in.readDouble());
    job.LastJobResult.EndTime.store(in.readDouble());
    job.LastJobResult.Cancelled.store(in.readBool());
    job.LastJobResult.ErrorsCount.store(in.readInt32());
    job.LastJobResult.WarningsCount.store(in.readInt32());
    job.LogList.append(in.readStringList());
    job.BackupHistory.append(in.readStringList());
}

void writeSchedule(TBinaryWriter& out, const TSchedulingSettings& schedule)
{
    out.writeInt32(schedule.SchedulingType);
    for (int day = 1; day <= 7; ++day)
        out.writeBool(schedule.DaysOfWeek[day]);
    for (int day = 1; day <= 31; ++day)
        out.writeBool(schedule.DaysOfMonth[day]);
    out.writeStringList(schedule.TimeTable);
    out.writeDouble(schedule.LastModificationDateTime);
    out.writeBool(schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    out.writeBool(schedule.ShutdownPCInTheEnd);
}

// A job rebuilt from the storage must not start on its own: without `keepSchedulingType` the stored
// type is read and dropped, and the schedule stays disabled until the user enables it.
void readSchedule(TBinaryReader& in, TSchedulingSettings& schedule, bool keepSchedulingType)
{
    const qint32 type = in.readInt32();
    schedule.SchedulingType = keepSchedulingType ? checkedOrdinal(type, stDaysOfMonth) : stDisabled;
    for (int day = 1; day <= 7; ++day)
        schedule.DaysOfWeek[day] = in.readBool();
    for (int day = 1; day <= 31; ++day)
        schedule.DaysOfMonth[day] = in.readBool();
    schedule.TimeTable.append(in.readStringList());
    schedule.LastModificationDateTime = in.readDouble();
    schedule.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = in.readBool();
    schedule.ShutdownPCInTheEnd = in.readBool();
}

void writeFilesAndFoldersSettings(TBinaryWriter& out, const TJob_FilesAndFolders& job)
{
    const TFilesAndFoldersSettings& settings = job.Settings;
    out.writeStringList(settings.Sources.List);
    out.writeByte(quint8(settings.Sources.FilterType));
    out.writeString(settings.Sources.Extensions);
    out.writeString(job.DestinationPath);
    out.writeString(job.Destination_NetworkUsername);
    out.writeString(job.Destination_NetworkPassword);
    out.writeInt32(job.DestinationType);
    out.writeInt32(settings.Backup.BackupType);
    out.writeInt32(settings.Backup.PerformFullBackup_EveryCopies);
    out.writeInt32(settings.Backup.NumberFullCopiesToKeep);
    out.writeBool(settings.Backup.RemoveOldBackupsBeforeStartingNewBackup);
    writeSchedule(out, job.SchedulingSettings);
}

// Appends to the source list and the timetable; each field is stored as soon as it is read.
void readFilesAndFoldersSettings(TBinaryReader& in, TJob_FilesAndFolders& job, bool keepSchedulingType)
{
    TFilesAndFoldersSettings& settings = job.Settings;
    settings.Sources.List.append(in.readStringList());
    settings.Sources.FilterType = checkedOrdinal<TFilterType>(in.readByte(), ftExclude);
    settings.Sources.Extensions = in.readString();
    job.DestinationPath = in.readString();
    job.Destination_NetworkUsername = in.readString();
    job.Destination_NetworkPassword = in.readString();
    job.DestinationType = checkedOrdinal(in.readInt32(), dtNetwork);
    settings.Backup.BackupType = checkedOrdinal(in.readInt32(), btInc);
    settings.Backup.PerformFullBackup_EveryCopies = in.readInt32();
    settings.Backup.NumberFullCopiesToKeep = in.readInt32();
    settings.Backup.RemoveOldBackupsBeforeStartingNewBackup = in.readBool();
    readSchedule(in, job.SchedulingSettings, keepSchedulingType);
    job.NewSubfolderIsCreatedForEachBackup = settings.Backup.BackupType != btSync;
}

void writeDriveImageSettings(TBinaryWriter& out, const TJob_DriveImage& job)
{
    out.writeStringList(job.Settings.SourceDrivesList);
    out.writeBool(job.Settings.AutocleanOldBackups);
    out.writeString(job.Settings.NumberOfBackupVersionsToKeep);
    out.writeInt32(job.DestinationType);
    out.writeString(job.DestinationPath);
    out.writeString(job.Destination_NetworkUsername);
    out.writeString(job.Destination_NetworkPassword);
    writeSchedule(out, job.SchedulingSettings);
}

// Replaces the drive list, appends to the timetable.
void readDriveImageSettings(TBinaryReader& in, TJob_DriveImage& job, bool keepSchedulingType)
{
    job.Settings.SourceDrivesList.clear();
    job.Settings.SourceDrivesList.append(in.readStringList());
    job.Settings.AutocleanOldBackups = in.readBool();
    job.Settings.NumberOfBackupVersionsToKeep = in.readString();
    job.DestinationType = checkedOrdinal(in.readInt32(), dtNetwork);
    job.DestinationPath = in.readString();
    job.Destination_NetworkUsername = in.readString();
    job.Destination_NetworkPassword = in.readString();
    readSchedule(in, job.SchedulingSettings, keepSchedulingType);
    job.NewSubfolderIsCreatedForEachBackup = true;
}

void reportLoadError(const QString& subject, int code)
{
    const QString text = code == 1 ? QStringLiteral("Error loading job \"%s\". Code: 1")
                                   : QStringLiteral("Error loading job \"%s\". Code: 2");
    AddEvent(Translate(text).replace(QLatin1String("%s"), subject));
}

void reportSaveError(const QString& path)
{
    AddEvent(Translate(QStringLiteral("Unable to save the settings. Please check the possibility to write "
                                      "to the file:")) +
             ' ' + path);
}

// Reads and parses a local job file with the events and results the local readers share.
template <typename Job> bool loadLocal(const QString& path, Job& job)
{
    QByteArray plain;
    switch (ReadScrambledFile(path, plain)) {
    case TScrambledReadStatus::Missing:
        return false;
    case TScrambledReadStatus::ReadError:
        reportLoadError(job.stJobName, 2);
        return false;
    case TScrambledReadStatus::Ok:
        break;
    }
    try {
        ParseLocalJobFile(plain, job);
    } catch (const TBinaryReadError&) {
        reportLoadError(job.stJobName, 1);
        return false;
    }
    return true;
}

// Reads a remote job file for `parse`; the caller reports what is thrown.
template <typename Parse> void loadRemote(const QString& path, Parse parse)
{
    QByteArray plain;
    switch (ReadScrambledFile(path, plain)) {
    case TScrambledReadStatus::Missing:
        return;
    case TScrambledReadStatus::ReadError:
        throw TJobFileError("cannot read the job file " + path.toStdString());
    case TScrambledReadStatus::Ok:
        break;
    }
    try {
        parse(plain);
    } catch (const TBinaryReadError& error) {
        throw TJobFileError("damaged job file " + path.toStdString() + ": " + error.what());
    }
}

} // namespace

QByteArray SerializeLocalJobFile(const TJob_FilesAndFolders& job)
{
    TBinaryWriter out;
    writeHeader(out, kJobFileKindFilesAndFolders);
    writeLastResult(out, job);
    writeFilesAndFoldersSettings(out, job);
    return out.data();
}

QByteArray SerializeLocalJobFile(const TJob_DriveImage& job)
{
    TBinaryWriter out;
    writeHeader(out, kJobFileKindDriveImage);
    writeLastResult(out, job);
    writeDriveImageSettings(out, job);
    return out.data();
}

QByteArray SerializeRemoteJobFile(const TJob_FilesAndFolders& job, const TRemoteBookkeeping& bookkeeping)
{
    TBinaryWriter out;
    writeHeader(out, kJobFileKindFilesAndFolders);
    out.writeStringList(bookkeeping.MainBackupList);
    out.writeStringList(bookkeeping.PreviousLocalFilesList);
    out.writeStringList(bookkeeping.PreviousLocalFilesTimeList);
    out.writeStringList(bookkeeping.PreviousLocalDirsList);
    out.writeInt64(bookkeeping.SizeOfLastFullBackup);
    out.writeInt64(bookkeeping.SizeOfAllIncrementsOrLastDifferentialCopy);
    writeFilesAndFoldersSettings(out, job);
    return out.data();
}

QByteArray SerializeRemoteJobFile(const TJob_DriveImage& job)
{
    TBinaryWriter out;
    writeHeader(out, kJobFileKindDriveImage);
    writeDriveImageSettings(out, job);
    return out.data();
}

void ParseLocalJobFile(const QByteArray& plain, TJob_FilesAndFolders& job)
{
    TBinaryReader in(plain);
    skipHeader(in);
    readLastResult(in, job);
    readFilesAndFoldersSettings(in, job, true);
}

void ParseLocalJobFile(const QByteArray& plain, TJob_DriveImage& job)
{
    TBinaryReader in(plain);
    skipHeader(in);
    readLastResult(in, job);
    readDriveImageSettings(in, job, true);
}

void ParseRemoteJobFile(const QByteArray& plain, bool loadJobSettings, TJob_FilesAndFolders& job,
                        TRemoteBookkeeping& bookkeeping)
{
    bookkeeping = TRemoteBookkeeping();
    TBinaryReader in(plain);
    // Files older than version 4 have no kind field: the lists follow the version directly.
    if (in.readInt32() >= 4)
        in.readInt32();
    bookkeeping.MainBackupList = in.readStringList();
    bookkeeping.PreviousLocalFilesList = in.readStringList();
    bookkeeping.PreviousLocalFilesTimeList = in.readStringList();
    bookkeeping.PreviousLocalDirsList = in.readStringList();
    bookkeeping.SizeOfLastFullBackup = in.readInt64();
    bookkeeping.SizeOfAllIncrementsOrLastDifferentialCopy = in.readInt64();
    if (!loadJobSettings)
        return;
    job.Settings.Sources.List.clear();
    job.SchedulingSettings.TimeTable.clear();
    readFilesAndFoldersSettings(in, job, false);
}

void ParseRemoteJobFile(const QByteArray& plain, bool loadJobSettings, TJob_DriveImage& job)
{
    TBinaryReader in(plain);
    skipHeader(in);
    if (!loadJobSettings)
        return;
    job.SchedulingSettings.TimeTable.clear();
    readDriveImageSettings(in, job, false);
}

qint32 ParseJobFileKind(const QByteArray& plain)
{
    TBinaryReader in(plain);
    if (in.readInt32() <= 3)
        return kJobFileKindFilesAndFolders;
    return in.readInt32();
}

int GetJobFileKind(const QString& path)
{
    QByteArray plain;
    switch (ReadScrambledFile(path, plain)) {
    case TScrambledReadStatus::Missing:
        return 0;
    case TScrambledReadStatus::ReadError:
        reportLoadError(path, 2);
        return 0;
    case TScrambledReadStatus::Ok:
        break;
    }
    qint32 kind = 0;
    try {
        kind = ParseJobFileKind(plain);
    } catch (const TBinaryReadError&) {
        reportLoadError(path, 1);
        return 0;
    }
    // A kind this program does not know is a foreign file: no job can be built from it.
    if (kind != kJobFileKindFilesAndFolders && kind != kJobFileKindDriveImage) {
        reportLoadError(path, 1);
        return 0;
    }
    return kind;
}

std::unique_ptr<TJob> NewJobOfKind(int kind, const QString& name)
{
    switch (kind) {
    case jkFilesAndFolders:
        return std::make_unique<TJob_FilesAndFolders>(name);
    case jkDriveImage:
        return std::make_unique<TJob_DriveImage>(name);
    default:
        return nullptr;
    }
}

bool TJob_FilesAndFolders::SaveLocalJobFile(const QString& path)
{
    if (WriteScrambledFile(path, SerializeLocalJobFile(*this)))
        return true;
    reportSaveError(path);
    return false;
}

bool TJob_FilesAndFolders::LoadLocalJobFile(const QString& path)
{
    return loadLocal(path, *this);
}

void TJob_FilesAndFolders::SaveRemoteJobFile(const QString& path, const TRemoteBookkeeping& bookkeeping)
{
    // A failure is ignored: the run goes on without its remote file.
    WriteScrambledFile(path, SerializeRemoteJobFile(*this, bookkeeping));
}

void TJob_FilesAndFolders::SaveRemoteJobFile(const QString& path)
{
    SaveRemoteJobFile(path, TRemoteBookkeeping());
}

bool TJob_FilesAndFolders::LoadRemoteJobFile(const QString& path, bool LoadJobSettings)
{
    TRemoteBookkeeping dropped;
    return LoadRemoteJobFile(path, LoadJobSettings, dropped);
}

bool TJob_FilesAndFolders::LoadRemoteJobFile(const QString& path, bool LoadJobSettings,
                                             TRemoteBookkeeping& bookkeeping)
{
    bookkeeping = TRemoteBookkeeping();
    loadRemote(path, [&](const QByteArray& plain) {
        ParseRemoteJobFile(plain, LoadJobSettings, *this, bookkeeping);
    });
    return true;
}

bool TJob_DriveImage::SaveLocalJobFile(const QString& path)
{
    if (WriteScrambledFile(path, SerializeLocalJobFile(*this)))
        return true;
    reportSaveError(path);
    return false;
}

bool TJob_DriveImage::LoadLocalJobFile(const QString& path)
{
    return loadLocal(path, *this);
}

void TJob_DriveImage::SaveRemoteJobFile(const QString& path)
{
    WriteScrambledFile(path, SerializeRemoteJobFile(*this));
}

bool TJob_DriveImage::LoadRemoteJobFile(const QString& path, bool LoadJobSettings)
{
    loadRemote(path, [&](const QByteArray& plain) { ParseRemoteJobFile(plain, LoadJobSettings, *this); });
    return true;
}
