// A job named ".." (the name a storage file "...kxj" gives, or a damaged jobs list) cannot make an
// import, run, restore point listing, rename or removal write or delete anything outside its folders.
#include "EngineTestSupport.h"

#include "engine/RestorePoints.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "operations/JobImport.h"
#include "options/uOptions.h"
#include "platform/StandardFolders.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

using namespace TestEnvironment;

namespace {

class HostileJobNameTest : public EngineTest
{
};

TEST_F(HostileJobNameTest, NothingOutsideTheJobsFoldersIsWrittenOrDeleted)
{
    // Each folder a job path starts from has a sibling holding a file, as the user's own folders would.
    const QString base = makeFolder("hostile");
    destinationFolder = base + "/drive/backups";
    GlobalOptions.General.PathForTempFiles = base + "/temp/ZorvanBackupTmp";
    GlobalOptions.Logging.PathForLogFiles = base + "/logs/jobs";
    for (const QString& folder :
         {destinationFolder, GlobalOptions.General.PathForTempFiles, GlobalOptions.Logging.PathForLogFiles})
        QDir().mkpath(folder);
    for (const char* sibling : {"/drive/other/keep.txt", "/temp/other/keep.txt", "/logs/other/keep.txt"})
        writeFile(base + sibling, "keep");
    writeFile(destinationFolder + "/Docs job/a.txt", "another job's backup");
    writeSource("Docs/a.txt", "alpha");

    TJob_FilesAndFolders original("Docs job");
    ConfigureJob(original, btSync, {sourceRoot + "/Docs/*"});
    original.DestinationPath = destinationFolder;
    original.SaveRemoteJobFile(destinationFolder + "/...kxj", TRemoteBookkeeping());
    const QString dataParent = QFileInfo(StandardFolders::applicationDataFolder()).absolutePath();
    // Whole trees as text, so that a failure shows what appeared or went.
    const auto tree = [](const QString& folder) { return treeOf(folder).join('\n').toStdString(); };
    const std::string before = tree(base);
    const std::string dataBefore = tree(dataParent);

    TJobCatalogue catalogue;
    EXPECT_EQ(ImportJobFromStorage(catalogue, destinationFolder + "/...kxj").Status,
              TJobImportResult::irNameRefused);
    EXPECT_EQ(catalogue.count(), 0);

    // The same job as something other than this program could hand it over.
    job = std::make_unique<TJob_FilesAndFolders>("..");
    ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*"});
    job->DestinationPath = destinationFolder;
    runBackup();
    EXPECT_TRUE(job->LastJobResult.Cancelled);
    EXPECT_GT(job->LastJobResult.ErrorsCount, 0);
    EXPECT_TRUE(logHas("ERROR: The job name cannot be used in a path: \"..\""));
    EXPECT_EQ(ReadRestorePointList(*job).Status, TRestorePointList::rsNotConnected);
    // As if it had finished a run: rename and removal would act on its storage folder.
    job->LastJobResult.EndTime = Now();
    EXPECT_FALSE(job->ChangeName("Renamed"));
    EXPECT_EQ(job->stJobName, "..");
    EXPECT_FALSE(job->Remove());
    job->DeleteTempFiles();
    TJob_DriveImage image("..");
    image.DestinationPath = destinationFolder;
    EXPECT_FALSE(image.Remove());
    // Nor does a good job take such a name.
    original.LastJobResult.EndTime = Now();
    for (const char* name : {".", "..", "line\nbreak"})
        EXPECT_FALSE(original.ChangeName(name)) << name;

    EXPECT_EQ(tree(base), before);
    EXPECT_EQ(tree(dataParent), dataBefore);
    EXPECT_EQ(readFile(base + "/temp/other/keep.txt"), "keep");
}

} // namespace
