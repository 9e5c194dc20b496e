#include "jobs/JobCatalogue.h"

#include "base/Placeholders.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "jobs/JobFiles.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/AskingUser.h"
#include "platform/StandardFolders.h"

#include <QFile>
#include <QSaveFile>

QString JobsListFilePath()
{
    return StandardFolders::applicationDataFolder() + QStringLiteral("/jobslist.obl");
}

bool TJobCatalogue::LoadJobsListAndJobs()
{
    QFile file(JobsListFilePath());
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return false;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList names = text.split('\n');
    if (!names.isEmpty() && names.last().isEmpty())
        names.removeLast();
    for (QString name : names) {
        if (name.endsWith('\r'))
            name.chop(1);
        // A name that is not a valid job name has no job file of its own and must never reach a path
        // join: ".." or "../options" would name something outside the data folder.
        if (name.isEmpty())
            continue;
        if (!IsValidJobName(name)) {
            AddEvent(Translate(QStringLiteral("The jobs list holds a name that cannot name a job; it is "
                                              "left out:")) +
                     QStringLiteral(" \"") + PrintableJobName(name) + '"');
            continue;
        }
        if (indexOfName(name) >= 0)
            continue;
        const QString path = LocalJobFilePath(name);
        if (std::unique_ptr<TJob> job = NewJobOfKind(GetJobFileKind(path), name)) {
            job->LoadLocalJobFile(path);
            jobs.push_back(std::move(job));
        }
    }
    return true;
}

bool TJobCatalogue::SaveJobsList() const
{
    QByteArray content("\xEF\xBB\xBF");
    for (const auto& job : jobs)
        content += job->stJobName.toUtf8() + "\r\n";
    QSaveFile file(JobsListFilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return false;
    GiveToAskingUser(JobsListFilePath());
    return true;
}

bool TJobCatalogue::IsSomeJobRunning() const
{
    return FirstRunningJob() != nullptr;
}

TJob* TJobCatalogue::FirstRunningJob() const
{
    for (const auto& job : jobs) {
        const TJobStatus status = job->JobStatus.load();
        if (status == jsRunning || status == jsCancelling || status == jsPaused)
            return job.get();
    }
    return nullptr;
}

bool TJobCatalogue::MoveUp(int index)
{
    if (index <= 0 || index >= count())
        return false;
    std::swap(jobs[std::size_t(index)], jobs[std::size_t(index - 1)]);
    SaveJobsList(); // a failure to save after a move is not reported
    return true;
}

bool TJobCatalogue::MoveDown(int index)
{
    if (index < 0 || index >= count() - 1)
        return false;
    std::swap(jobs[std::size_t(index)], jobs[std::size_t(index + 1)]);
    SaveJobsList();
    return true;
}

int TJobCatalogue::indexOfName(const QString& name) const
{
    const QString folded = FoldJobName(name);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (FoldJobName(jobs[i]->stJobName) == folded)
            return int(i);
    }
    return -1;
}

TJob* TJobCatalogue::findByName(const QString& name) const
{
    const int index = indexOfName(name);
    return index < 0 ? nullptr : at(index);
}

void TJobCatalogue::append(std::unique_ptr<TJob> job)
{
    jobs.push_back(std::move(job));
}

std::unique_ptr<TJob> TJobCatalogue::takeAt(int index)
{
    auto job = std::move(jobs.at(std::size_t(index)));
    jobs.erase(jobs.begin() + index);
    return job;
}

TJobNameCheck CheckTypedJobName(const TJobCatalogue& catalogue, const QString& typed, const TJob* renamed)
{
    TJobNameCheck check;
    qsizetype first = 0;
    qsizetype end = typed.size();
    while (first < end && typed.at(first) == ' ')
        ++first;
    while (end > first && typed.at(end - 1) == ' ')
        --end;
    check.Name = typed.mid(first, end - first);
    if (check.Name.isEmpty())
        return check;
    check.ErrorMessage = JobNameRefusalMessage(JobNameProblem(check.Name));
    if (!check.ErrorMessage.isEmpty()) {
        check.Outcome = TJobNameCheck::ncRefused;
        return check;
    }
    if (renamed && check.Name == renamed->stJobName)
        return check;
    if (catalogue.indexOfName(check.Name) >= 0) {
        check.Outcome = TJobNameCheck::ncRefused;
        check.ErrorMessage = FillPlaceholders(
            Translate(QStringLiteral("Job \"%s\" already exists. Please specify another name.")), {typed});
        return check;
    }
    check.Outcome = TJobNameCheck::ncAccepted;
    return check;
}
