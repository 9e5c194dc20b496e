#include "engine/PointContentsReading.h"

#include "base/PathJoin.h"
#include "engine/CatalogFile.h"
#include "engine/RestorePoints.h"
#include "jobs/JobPaths.h"
#include "logs/RunLog.h"
#include "platform/FileSystem.h"
#include "storage/StorageAccess.h"
#include "storage/StorageConnection.h"

namespace {
QString T(const TJob& job, const char* text)
{
    return job.Translate(QString::fromUtf8(text));
}
} // namespace

bool FetchPointCatalogs(TJob_FilesAndFolders& job, const QString& folder, TPointCatalogs& lists)
{
    const QString temp = JobTempFolder(job);
    const struct
    {
        const char* name;
        QStringList& list;
    } catalogs[] = {{"_rf.obl", lists.Files},
                    {"_rd.obl", lists.Folders},
                    {"_rrd.obl", lists.RemovedFolders},
                    {"_rrf.obl", lists.RemovedFiles}};
    for (const auto& catalog : catalogs) {
        const QString name = QLatin1String(catalog.name);
        const QString local = JoinPath(temp, name);
        if (job.FileOperation(atCopyFromRemoteToLocalFile, local, JoinPath(folder, name), 0, true) !=
            orSuccess)
            return false;
        if (!ReadCatalogFile(local, catalog.list)) {
            LogError(job, T(job, "Unable to read the file:") + ' ' + local);
            return false;
        }
    }
    return true;
}

TPointContentsRead ReadPointContents(TJob_FilesAndFolders& job, const QStringList& points, qint32 index)
{
    TPointContentsRead result;
    TRemoteBookkeeping stored;
    try {
        job.LoadRemoteJobFile(JobTempRemoteJobFile(job), false, stored);
    } catch (const TJobFileError&) {
        result.ErrorText =
            T(job, "The job file on the storage cannot be read:") + ' ' + JobTempRemoteJobFile(job);
        return result;
    }
    TBackupType type = job.Settings.Backup.BackupType;
    if (!stored.MainBackupList.isEmpty())
        BackupTypeFromMarker(stored.MainBackupList.first(), type);
    auto contents = std::make_unique<TPointContents>();
    if (type == btSync) {
        contents->apply(-1, stored.PreviousLocalFilesList, stored.PreviousLocalDirsList, {}, {});
        contents->finish();
        result.Contents = std::move(contents);
        return result;
    }
    stored = TRemoteBookkeeping();
    if (index < 0 || index >= points.size()) {
        result.ErrorText = T(job, "The restore point does not exist.");
        return result;
    }
    const QStringList chain = RestoreChain(points, index);
    for (const QString& subfolder : chain) {
        if (!IsSafeRestorePointName(subfolder)) {
            result.ErrorText = T(job, "The restore point is not a folder of the backup:") + ' ' + subfolder;
            return result;
        }
    }
    const TStorageConnectionResult connection = job.ConnectToStorage();
    if (!connection.ok()) {
        result.ErrorText = T(job, "Unable to connect to the backup storage.");
        if (!connection.error.isEmpty())
            result.ErrorText += QStringLiteral("\r\n") + ConnectionErrorLine(job, connection);
        return result;
    }
    contents->storageFolders = chain;
    bool ok = true;
    for (qint32 i = 0; ok && i < chain.size(); ++i) {
        TPointCatalogs lists;
        ok = FetchPointCatalogs(job, JoinPath(connection.folder, chain.at(i)), lists);
        if (ok)
            contents->apply(i, lists.Files, lists.Folders, lists.RemovedFiles, lists.RemovedFolders);
        else
            result.ErrorText = T(job, "Unable to copy the catalogs of the backup:") + ' ' + chain.at(i);
    }
    job.DisconnectFromStorage();
    job.CurrentFileOperationType = atNone;
    job.CurrentFileOperationPath.clear();
    if (ok) {
        contents->finish();
        result.Contents = std::move(contents);
    }
    return result;
}

QList<TStoredFileInfo> ReadStoredFileInfo(TJob_FilesAndFolders& job, const TPointContents& contents,
                                          const QList<TPointContents::TId>& ids)
{
    QList<TStoredFileInfo> infos(ids.size());
    const TStorageConnectionResult connection = job.ConnectToStorage();
    if (!connection.ok())
        return infos;
    {
        TStorageAccess access(job.NetworkConnection.get());
        int error = 0;
        TFileSystem* fileSystem = access.fileSystemFor(connection.folder, error);
        for (qsizetype i = 0; fileSystem && i < ids.size(); ++i) {
            const TPointContents::TId id = ids.at(i);
            if (contents.isFolder(id))
                continue;
            const QString folder = contents.storageFolderOf(id);
            const QString base = folder.isEmpty() ? connection.folder : JoinPath(connection.folder, folder);
            TFileStat st;
            if (fileSystem->stat(JoinPath(base, contents.path(id)), st, true) == 0) {
                infos[i].Size = st.size;
                infos[i].LastWrite = QDateTime::fromMSecsSinceEpoch(qint64(st.lastWrite.tv_sec) * 1000 +
                                                                    st.lastWrite.tv_nsec / 1000000);
            }
        }
    }
    job.DisconnectFromStorage();
    return infos;
}
