// A start flag and restore points on the storage that name folders outside the job's backup (a damaged
// or foreign remote job file): the next run renames and removes only subfolders of its own backup.
#include "EngineTestSupport.h"

#include "engine/CatalogFile.h"
#include "options/uOptions.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>

using namespace TestEnvironment;

namespace {

class ForeignNamesTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ConfigureJob(*job, btFull, {sourceRoot + "/Docs/*"});
        writeSource("Docs/a.txt", "alpha");
        outside = makeFolder("outside");
        writeFile(outside + "/keep.txt", "kept");
        writeFile(destinationFolder + "/Other job/keep.txt", "kept");
    }
    // Every folder a foreign name could reach is still there, unrenamed.
    void expectOutsideUntouched()
    {
        EXPECT_EQ(readFile(outside + "/keep.txt"), "kept");
        EXPECT_EQ(readFile(destinationFolder + "/Other job/keep.txt"), "kept");
        EXPECT_FALSE(QFileInfo::exists(outside + " CANCELED"));
        EXPECT_FALSE(QFileInfo::exists(destinationFolder + "/Other job CANCELED"));
    }
    QString outside;
};

TEST_F(ForeignNamesTest, StartFlagNamingAnotherFolderLeavesEverythingWhereItIs)
{
    job->Settings.Backup.NumberFullCopiesToKeep = 0; // every copy stays
    runBackup();
    const QString first = subfolder(5, "Full");
    for (const QString& name : {outside, QString("../Other job"), QString("\\\\server\\share")}) {
        for (bool removePrevious : {true, false}) {
            GlobalOptions.Processing.RemovePreviousBackupIfCancelled = removePrevious;
            ASSERT_TRUE(WriteCatalogFile(storedPath("_startflag.obl"), {name}));
            runBackup();
            EXPECT_TRUE(logHas("WARNING: The start flag names no folder of the backup: " + name))
                << name.toStdString();
            EXPECT_TRUE(logHas("Backup job \"Docs job\" is finished with warnings.")) << name.toStdString();
            expectOutsideUntouched();
            EXPECT_EQ(readFile(storedPath(first + "/Docs/a.txt")), "alpha"); // the backup stays too
        }
    }
}

TEST_F(ForeignNamesTest, RetentionRemovesOnlySubfoldersOfTheBackup)
{
    job->Settings.Backup.NumberFullCopiesToKeep = 1;
    runBackup();
    TRemoteBookkeeping stored = storedBookkeeping();
    stored.MainBackupList.insert(1, outside);
    stored.MainBackupList.insert(2, "../Other job");
    job->SaveRemoteJobFile(backupRoot() + ".kxj", stored);
    runBackup();
    EXPECT_TRUE(logHas("ERROR: The restore point is not a folder of the backup: " + outside));
    EXPECT_TRUE(logHas("ERROR: The restore point is not a folder of the backup: ../Other job"));
    expectOutsideUntouched();
    // The backup's own old subfolder goes as retention says.
    EXPECT_FALSE(QFileInfo::exists(storedPath(subfolder(5, "Full"))));
    EXPECT_EQ(storedBookkeeping().MainBackupList, QStringList({"Full)", subfolder(6, "Full")}));
}

} // namespace
