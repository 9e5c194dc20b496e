#include "operations/JobImport.h"

#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobFiles.h"
#include "jobs/JobPaths.h"
#include "platform/AskingUser.h"
#include "platform/FileSystem.h"
#include "platform/SmbPath.h"
#include "storage/DestinationIdentity.h"

#include <QFileInfo>

#include <memory>

namespace {
QString fillName(const QString& text, const QString& name)
{
    QString filled = text;
    const qsizetype at = filled.indexOf(QLatin1String("%s"));
    if (at >= 0)
        filled.replace(at, 2, name);
    return filled;
}

// The loaded job, or null when the file cannot be read as the kind it announces.
std::unique_ptr<TJob> loadJob(int kind, const QString& name, const QString& file)
{
    try {
        std::unique_ptr<TJob> job = NewJobOfKind(kind, name);
        if (job)
            job->LoadRemoteJobFile(file, true);
        return job;
    } catch (const TJobFileError&) {
    }
    return nullptr;
}
} // namespace

QString ImportedJobName(const QString& path)
{
    return LastPathComponent(NormaliseSmbPath(path)).chopped(4);
}

TJobImportResult ImportJobFromStorage(TJobCatalogue& catalogue, const QString& path)
{
    TJobImportResult result;
    const QString errorText = QStringLiteral("Unable to open the job file from the backup storage.");
    // A local path given relative to the current folder is taken from there.
    const QString source = IsSmbPath(path) ? NormaliseSmbPath(path) : QFileInfo(path).absoluteFilePath();
    if (LastPathComponent(source).size() < 4) {
        result.Status = TJobImportResult::irNotOpened;
        result.ErrorMessage = Translate(errorText);
        return result;
    }
    const QString name = ImportedJobName(source);
    if (catalogue.indexOfName(name) >= 0) {
        result.Status = TJobImportResult::irNameRefused;
        result.ErrorMessage = fillName(
            Translate(QStringLiteral("Job \"%s\" already exists. Please specify another name.")), name);
        return result;
    }
    // The name comes from a file name, which may hold what a job name must not ("...kxj" gives "..").
    if (const TJobNameProblem problem = JobNameProblem(name); problem != jnNone) {
        result.Status = TJobImportResult::irNameRefused;
        result.ErrorMessage = JobNameRefusalMessage(problem);
        if (result.ErrorMessage.isEmpty())
            result.ErrorMessage = fillName(
                Translate(QStringLiteral("The file name does not make a valid job name: \"%s\".")), name);
        return result;
    }

    TJob_FilesAndFolders scratch(name);
    scratch.OptionsToJobOptions();
    MakePathForAskingUser(JobTempFolder(scratch));
    const QString copy = JobTempRemoteJobFile(scratch);
    if (scratch.FileOperation(atCopyFromRemoteToLocalFile, copy, source, 0, true) != orSuccess) {
        result.ErrorMessage = Translate(errorText);
    } else if (const int kind = GetJobFileKind(copy); kind == 0) {
        result.Status = TJobImportResult::irUnknownKind;
    } else {
        std::unique_ptr<TJob> job = loadJob(kind, name, copy);
        if (!job) {
            result.ErrorMessage = Translate(errorText);
        } else {
            result.Status = TJobImportResult::irImported;
            AddEvent(fillName(Translate(QStringLiteral("Job is open: \"%s\".")), name));
            result.Job = job.get();
            // What was remembered about an earlier job of this name is not this job's.
            ForgetDestinationIdentity(name);
            catalogue.append(std::move(job));
            result.Job->SaveLocalJobFile(LocalJobFilePath(name));
            catalogue.SaveJobsList();
        }
    }
    scratch.DeleteTempFiles();
    return result;
}
