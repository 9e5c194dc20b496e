#include "jobs/JobCatalogue.h"

#include "jobs/JobFiles.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/StandardFolders.h"

#include <QFile>
#include <QSaveFile>

QString JobsListFilePath()
{
    return StandardFolders::applicationDataFolder() + QStringLiteral("/jobslist.obl");
}

QString FoldJobName(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

bool SameJobName(const QString& a, const QString& b)
{
    return a.size() == b.size() && FoldJobName(a) == FoldJobName(b);
}

bool IsValidJobName(const QString& name)
{
    if (name.isEmpty() || name.front() == ' ' || name.back() == ' ')
        return false;
    static const QString forbidden = QStringLiteral("<>:\"/\\|?*");
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return false;
    }
    return true;
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
        // A name that is not a valid file name cannot have a job file of its own; it must never
        // reach a path join ("../options" would name a file outside the data folder).
        if (!IsValidJobName(name) || indexOfName(name) >= 0)
            continue;
        const QString path = LocalJobFilePath(name);
        switch (GetJobFileKind(path)) {
        case 1: {
            auto job = std::make_unique<TJob_FilesAndFolders>(name);
            job->LoadLocalJobFile(path);
            jobs.push_back(std::move(job));
            break;
        }
        case 2: {
            auto job = std::make_unique<TJob_DriveImage>(name);
            job->LoadLocalJobFile(path);
            jobs.push_back(std::move(job));
            break;
        }
        default:
            break;
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
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

bool TJobCatalogue::IsSomeJobRunning() const
{
    for (const auto& job : jobs) {
        const TJobStatus status = job->JobStatus.load();
        if (status == jsRunning || status == jsCancelling || status == jsPaused)
            return true;
    }
    return false;
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
