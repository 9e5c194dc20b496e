// Removing a job's backups through the job's base, as the command line does, reaches each kind's own
// removal: a files job takes its folder with it, a drive image job leaves its versions to the image
// tool and, keeping no number of versions, hands nothing over.
#include "EngineTestSupport.h"

#include "jobs/uJob_DriveImage.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <memory>

using namespace TestEnvironment;

namespace {

class JobKindRemoveTest : public EngineTest
{
};

TEST_F(JobKindRemoveTest, EachKindRemovesWhatItOwns)
{
    auto image = std::make_unique<TJob_DriveImage>("System");
    image->DestinationPath = destinationFolder;
    image->Settings.AutocleanOldBackups = false;
    const struct
    {
        TJob* job;
        bool removed;
        QStringList left;
    } cases[] = {
        {job.get(), true, {}},
        {image.get(), false, {"System/", "System/v1/", "System/v1/disk.img"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.job->stJobName.toStdString());
        QDir(destinationFolder).removeRecursively();
        writeFile(destinationFolder + '/' + c.job->stJobName + "/v1/disk.img", "backup");
        writeFile(destinationFolder + '/' + c.job->stJobName + ".kxj", "job file");

        EXPECT_EQ(c.job->Remove(), c.removed);
        EXPECT_EQ(treeOf(destinationFolder), c.left);
    }
}

} // namespace
