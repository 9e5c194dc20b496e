// The jobs list (jobslist.obl) as the program reads it at start, in a data folder that holds job files
// of a few names: every job it loads has a valid name of its own, its job file lies in the data
// folder, and the list saved from the loaded jobs loads the same jobs in the same order.
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/StandardFolders.h"
#include "support/FuzzSupport.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

namespace {
QStringList loadedNames()
{
    TJobCatalogue catalogue;
    catalogue.LoadJobsListAndJobs();
    QStringList names;
    for (int i = 0; i < catalogue.count(); ++i)
        names.append(catalogue.at(i)->stJobName);
    return names;
}

void saveJobFiles()
{
    QDir().mkpath(StandardFolders::applicationDataFolder());
    for (const QString& name : {QStringLiteral("Documents"), QStringLiteral("Photos 2024"),
                                QStringLiteral("Zdjęcia ąę"), QStringLiteral("a..b")}) {
        TJob_FilesAndFolders job(name);
        job.SaveLocalJobFile(LocalJobFilePath(name));
    }
    TJob_DriveImage image(QStringLiteral("System image"));
    image.SaveLocalJobFile(LocalJobFilePath(image.stJobName));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::PrivateFolder();
    saveJobFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TestEnvironment::writeFile(JobsListFilePath(), Fuzz::Bytes(data, size));
    const QStringList names = loadedNames();
    const QString dataFolder = StandardFolders::applicationDataFolder();
    for (qsizetype i = 0; i < names.size(); ++i) {
        Fuzz::Check(IsValidJobName(names[i]), "a job with an invalid name was loaded", names[i]);
        Fuzz::Check(QFileInfo(QDir::cleanPath(LocalJobFilePath(names[i]))).path() == dataFolder,
                    "a job file lies outside the data folder", names[i]);
        for (qsizetype j = 0; j < i; ++j)
            Fuzz::Check(!SameJobName(names[i], names[j]), "two jobs of the same name were loaded", names[i]);
    }
    if (!names.isEmpty()) {
        TJobCatalogue catalogue;
        catalogue.LoadJobsListAndJobs();
        Fuzz::Check(catalogue.SaveJobsList(), "the jobs list cannot be saved");
        Fuzz::Check(loadedNames() == names, "the saved jobs list loads other jobs");
    }
    Fuzz::DropEvents();
    return 0;
}
