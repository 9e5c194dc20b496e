// Jobs handled through their base, as the catalogue, the import and the runs handle them: the kind a
// file announces makes a job of that kind, and each kind writes and reads its own files.
#include "JobFileTestSupport.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace JobFileTest;

namespace {

class JobKindDispatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnvironment::makeFolder("dispatch");
        takeEvents();
    }
    void TearDown() override { EXPECT_EQ(takeEvents(), QStringList()); }

    QString folder;
};

template <class TKind> void expectSameKindSettings(const TJob& expected, const TJob& actual)
{
    ASSERT_EQ(actual.Kind(), expected.Kind());
    expectSameSettings(static_cast<const TKind&>(expected), static_cast<const TKind&>(actual));
}

struct TKindCase
{
    const char* name;
    TJobKind kind;
    std::function<void(TJob&)> fill;
    std::function<void(const TJob&, const TJob&)> expectSame;
};

const TKindCase kKinds[] = {
    {"Documents", jkFilesAndFolders,
     [](TJob& job) { fillFilesAndFolders(static_cast<TJob_FilesAndFolders&>(job)); },
     expectSameKindSettings<TJob_FilesAndFolders>},
    {"System", jkDriveImage, [](TJob& job) { fillDriveImage(static_cast<TJob_DriveImage&>(job)); },
     expectSameKindSettings<TJob_DriveImage>},
};

TEST_F(JobKindDispatch, EachKindWritesAndReadsItsOwnFilesThroughTheBase)
{
    for (const TKindCase& c : kKinds) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TJob> saved = NewJobOfKind(c.kind, c.name);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->Kind(), c.kind);
        c.fill(*saved);

        // The kind tag of the file is the job's kind, and makes a job of the same kind again.
        const QString local = folder + '/' + c.name + ".obd";
        ASSERT_TRUE(saved->SaveLocalJobFile(local));
        ASSERT_EQ(GetJobFileKind(local), c.kind);
        const std::unique_ptr<TJob> loaded = NewJobOfKind(GetJobFileKind(local), c.name);
        ASSERT_TRUE(loaded->LoadLocalJobFile(local));
        c.expectSame(*saved, *loaded);

        // The remote file as an import reads it: settings taken, schedule disabled.
        const QString remote = folder + '/' + c.name + ".kxj";
        saved->SaveRemoteJobFile(remote);
        ASSERT_EQ(GetJobFileKind(remote), c.kind);
        const std::unique_ptr<TJob> imported = NewJobOfKind(c.kind, c.name);
        ASSERT_TRUE(imported->LoadRemoteJobFile(remote, true));
        EXPECT_EQ(imported->SchedulingSettings.SchedulingType, stDisabled);
        saved->SchedulingSettings.SchedulingType = stDisabled;
        c.expectSame(*saved, *imported);
    }
}

TEST_F(JobKindDispatch, TheCommonRemoteFileOfAFilesJobHoldsNoBookkeeping)
{
    TJob_FilesAndFolders job("Documents");
    const QString path = folder + "/Documents.kxj";
    job.SaveRemoteJobFile(path, filledBookkeeping());
    static_cast<TJob&>(job).SaveRemoteJobFile(path);

    TRemoteBookkeeping read = filledBookkeeping();
    ASSERT_TRUE(job.LoadRemoteJobFile(path, false, read));
    expectSameBookkeeping(TRemoteBookkeeping(), read);
}

TEST_F(JobKindDispatch, NoJobForAnUnknownKind)
{
    for (const int kind : {0, 3, -1})
        EXPECT_EQ(NewJobOfKind(kind, "Documents"), nullptr) << kind;
}

} // namespace
