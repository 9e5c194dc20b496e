// The remote job file as it comes from the storage (scrambled, in a file), read as a backup run, a
// restore and an import read it. Beyond reading without harm: the run's reader and the restore's
// reader agree; every restore point and stored path that the restore's checks accept stays inside its
// folder; and an imported job, saved as a local job file, reads back the same.
#include "base/BinaryStream.h"
#include "base/encryptor.h"
#include "engine/FileStamp.h"
#include "engine/RemoteBookkeepingFile.h"
#include "engine/RestorePoints.h"
#include "jobs/JobFiles.h"
#include "support/FuzzSupport.h"
#include "support/TestEnvironment.h"

namespace {
const QString kJobName = QStringLiteral("Job");

// Each restore point (the entries after the type marker) names a folder directly inside the backup
// folder once the restore or the backup run's retention accepts it; a restore chain is made of these
// names.
void checkRestorePoints(const QStringList& mainBackupList)
{
    for (const QString& point : mainBackupList.mid(1)) {
        // The restore joins the point's subfolder, the run's retention the entry as it stands.
        for (const QString& subfolder : {RestorePointSubfolder(point), point}) {
            if (IsSafeRestorePointName(subfolder))
                Fuzz::CheckBackupSubfolder(subfolder);
        }
    }
}

// The import saves the job as a local job file, which the next start reads.
template <typename Job> void checkSavedAsLocalFile(const Job& imported)
{
    const QByteArray saved = SerializeLocalJobFile(imported);
    Job loaded(kJobName);
    try {
        ParseLocalJobFile(saved, loaded);
    } catch (const TBinaryReadError&) {
        Fuzz::Check(false, "an imported job saved as a local job file cannot be read");
    }
    Fuzz::Check(SerializeLocalJobFile(loaded) == saved, "an imported job reads back differently");
}

void import(const QString& path)
{
    try {
        switch (GetJobFileKind(path)) {
        case kJobFileKindFilesAndFolders: {
            TJob_FilesAndFolders job(kJobName);
            TRemoteBookkeeping bookkeeping;
            job.LoadRemoteJobFile(path, true, bookkeeping);
            checkSavedAsLocalFile(job);
            break;
        }
        case kJobFileKindDriveImage: {
            TJob_DriveImage job(kJobName);
            job.LoadRemoteJobFile(path, true);
            checkSavedAsLocalFile(job);
            break;
        }
        default:
            break;
        }
    } catch (const TJobFileError&) {
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Fuzz::TOutputFolder output;
    static const QString path =
        Fuzz::Folder(QStringLiteral("temp")) + '/' + kJobName + QStringLiteral(".kxj");
    TestEnvironment::writeFile(path, ScrambleConfiguration(Fuzz::Bytes(data, size)));

    TRunBookkeeping run;
    bool runFailed = false;
    try {
        ReadRunBookkeeping(path, run);
    } catch (const TJobFileError&) {
        runFailed = true;
    }
    TJob_FilesAndFolders job(kJobName);
    TRemoteBookkeeping restore;
    bool restoreFailed = false;
    try {
        job.LoadRemoteJobFile(path, false, restore);
    } catch (const TJobFileError&) {
        restoreFailed = true;
    }
    Fuzz::Check(runFailed == restoreFailed, "the backup run and the restore disagree on reading the file");
    if (!runFailed) {
        Fuzz::Check(run.MainBackupList == restore.MainBackupList &&
                        run.Files == restore.PreviousLocalFilesList &&
                        run.Stamps == ParseStamps(restore.PreviousLocalFilesTimeList) &&
                        run.Dirs == restore.PreviousLocalDirsList &&
                        run.SizeOfLastFullBackup == restore.SizeOfLastFullBackup &&
                        run.SizeOfAllIncrementsOrLastDifferentialCopy ==
                            restore.SizeOfAllIncrementsOrLastDifferentialCopy,
                    "the backup run and the restore read different lists");
        checkRestorePoints(restore.MainBackupList);
        // A mirror is restored straight from these lists.
        for (const QString& entry : std::as_const(restore.PreviousLocalFilesList))
            output.CheckEntry(entry, false);
        for (const QString& entry : std::as_const(restore.PreviousLocalDirsList))
            output.CheckEntry(entry, true);
    }
    import(path);
    Fuzz::DropEvents();
    return 0;
}
