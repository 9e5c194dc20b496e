// TJob::ConnectToStorage and TJob::DisconnectFromStorage: access to the job's backup destination.
#include "storage/StorageConnection.h"

#include "jobs/JobNames.h"
#include "logs/RunLog.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemLocal.h"
#include "platform/SmbPath.h"
#include "storage/StorageAccess.h"
#include "storage/StorageError.h"
#include "storage/StorageHelpers.h"
#include "storage/uNetworkFuncs.h"

namespace {

// The error of a job whose name cannot be turned into a path inside its destination.
TStorageConnectionResult refusedName(TJob& job)
{
    const QString text = JobNameUnusableText(job);
    LogError(job, text);
    return {QString(), text};
}

// The job's storage folder below an existing destination, or the error for a missing one.
TStorageConnectionResult storageFolderOrError(TJob& job, const QString& destination, TFileSystem* fileSystem)
{
    const QString folder = NormaliseSmbPath(destination);
    if (fileSystem && fileSystem->folderExists(ExtendedLengthPath(folder, true))) {
        // The backup folder and the job file copy beside it stay inside the destination.
        const QString backupFolder = JobNamedPath(folder, job.stJobName);
        return backupFolder.isEmpty() ? refusedName(job) : TStorageConnectionResult{backupFolder, QString()};
    }
    const QString text = job.Translate(QStringLiteral("The directory does not exist:")) + ' ' + destination;
    LogError(job, text);
    return {QString(), text};
}

} // namespace

QString ConnectionErrorLine(const TJob& job, const TStorageConnectionResult& connection)
{
    return job.Translate(QStringLiteral("ERROR:")) + ' ' + connection.error;
}

TStorageConnectionResult TJob::ConnectToStorage()
{
    TStorageConnectionResult result;
    CurrentFileOperationType = atNone;
    CurrentFileOperationPath.clear();
    // Every run, removal, rename and import reaches the storage through here.
    if (!IsValidJobName(stJobName))
        return refusedName(*this);

    if (DestinationType == dtExternalDevice) {
        LogLine(*this, Translate(QStringLiteral("Connecting to the external drive. Directory:")) + ' ' +
                           DestinationPath);
        TStorageAccess access;
        int error = 0;
        result = storageFolderOrError(*this, DestinationPath, access.fileSystemFor(DestinationPath, error));
    } else if (DestinationType == dtNetwork) {
        LogLine(*this,
                Translate(QStringLiteral("Connecting to the network. Directory:")) + ' ' + DestinationPath);
        NetworkConnection.reset(new TNetworkPathConnection());
        if (NetworkConnection->Connect(DestinationPath, Destination_NetworkUsername,
                                       Destination_NetworkPassword)) {
            TStorageAccess access(NetworkConnection.get());
            int error = 0;
            result =
                storageFolderOrError(*this, DestinationPath, access.fileSystemFor(DestinationPath, error));
        } else {
            const QString lastError = NetworkConnection->LastError();
            LogError(*this, lastError);
            result.error = lastError;
            if (lastError.contains(QStringLiteral("Multiple connections to"))) {
                LogLine(*this, QStringLiteral("***** ") +
                                   Translate(QStringLiteral(
                                       "Try to use the IP address of the remote server (instead of the "
                                       "hostname) in the UNC path. For example: \\\\IP_Address\\folder\\")));
                LastJobResult.Log.append(QString());
                result.error = Translate(QStringLiteral("Read the log for details."));
            }
            NetworkConnection.reset();
        }
    }
    return result;
}

void TJob::DisconnectFromStorage()
{
    LogLine(*this, Translate(QStringLiteral("Disconnecting from device.")));
    // Files removed or replaced on a local volume are freed on a thread of their own: done before the
    // volume is let go (a reference still held would keep it busy).
    TLocalFileSystem::instance().finishDeferred();
    if (DestinationType == dtNetwork && NetworkConnection) {
        if (TFileSystem* fileSystem = NetworkConnection->fileSystem())
            LogDeferredFailures(*this, *fileSystem, true);
        try {
            if (NetworkConnection->Connected())
                NetworkConnection->Disconnect(false);
        } catch (const TStorageError& e) {
            LogError(*this, WithoutLineBreaks(e.message()));
        }
        NetworkConnection.reset();
    }
}
