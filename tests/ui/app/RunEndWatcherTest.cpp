// Which ended runs the tray tells about: those the user did not start by hand and that ended with
// errors, warnings or cancelled; results loaded at start and waiting jobs cancelled before they ran
// are no news.
#include "app/core/RunEndWatcher.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

class RunEndWatcherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        catalogue.append(std::make_unique<TJob_FilesAndFolders>(QStringLiteral("Docs")));
        job = catalogue.at(0);
    }
    // What a run leaves behind, as the worker writes it.
    void runStarts(double start)
    {
        job->SetStatus(jsRunning);
        job->LastJobResult.StartTime = start;
        job->LastJobResult.EndTime = 0;
        job->LastJobResult.Cancelled = false;
        job->LastJobResult.ErrorsCount = 0;
        job->LastJobResult.WarningsCount = 0;
        job->LastJobResult.Log.append(QStringLiteral("started"));
    }
    void runEnds(int errors, int warnings, bool cancelled)
    {
        job->LastJobResult.ErrorsCount = errors;
        job->LastJobResult.WarningsCount = warnings;
        job->LastJobResult.Cancelled = cancelled;
        job->LastJobResult.EndTime = job->LastJobResult.StartTime + 0.001;
        job->SetStatus(jsNone);
    }
    QStringList texts(const QList<TRunEndNotice>& notices)
    {
        QStringList result;
        for (const TRunEndNotice& notice : notices)
            result << notice.JobName + ": " + notice.Text.section(QStringLiteral(" on "), 0, 0) +
                          (notice.Errors ? " !" : "");
        return result;
    }

    TJobCatalogue catalogue;
    TJob* job = nullptr;
};

TEST_F(RunEndWatcherTest, ScheduledRunsWithProblemsOnly)
{
    // An old result with errors, loaded at start, is not announced.
    job->LastJobResult.StartTime = 40000;
    job->LastJobResult.EndTime = 40000.01;
    job->LastJobResult.ErrorsCount = 3;
    job->LastJobResult.Log.append(QStringLiteral("old"));
    TRunEndWatcher watcher(catalogue);
    EXPECT_TRUE(watcher.Check().isEmpty());

    struct TCase
    {
        int Errors, Warnings;
        bool Cancelled;
        const char* Expected;
    };
    const TCase cases[] = {{0, 0, false, ""},
                           {2, 1, false, "Docs: Finished with errors !"},
                           {0, 1, false, "Docs: Finished with warnings"},
                           {0, 0, true, "Docs: Cancelled !"}};
    double start = 45000;
    for (const TCase& c : cases) {
        runStarts(start += 1);
        EXPECT_TRUE(watcher.Check().isEmpty());
        runEnds(c.Errors, c.Warnings, c.Cancelled);
        const QStringList expected = *c.Expected ? QStringList{QString::fromUtf8(c.Expected)} : QStringList();
        EXPECT_EQ(texts(watcher.Check()), expected);
        EXPECT_TRUE(watcher.Check().isEmpty()) << "told once";
    }

    // A run that started and ended between two looks is found by its start and its log.
    runStarts(start += 1);
    runEnds(1, 0, false);
    EXPECT_EQ(texts(watcher.Check()), QStringList{"Docs: Finished with errors !"});
}

TEST_F(RunEndWatcherTest, HandStartedRunsAndCancelledWaitingJobsAreQuiet)
{
    TRunEndWatcher watcher(catalogue);
    // "Backup": waiting, running, ended with errors.
    job->SetStatus(jsWaiting);
    watcher.MarkStartedByHand(*job);
    EXPECT_TRUE(watcher.Check().isEmpty());
    runStarts(45001);
    EXPECT_TRUE(watcher.Check().isEmpty());
    runEnds(1, 0, true);
    EXPECT_TRUE(watcher.Check().isEmpty());

    // The mark is for one run: the next scheduled one is announced.
    runStarts(45002);
    watcher.Check();
    runEnds(1, 0, false);
    EXPECT_EQ(watcher.Check().size(), 1);

    // A waiting job cancelled before it ran (its start time moves, its log is emptied), with the
    // errors of the earlier run still counted.
    job->SetStatus(jsWaiting);
    watcher.MarkStartedByHand(*job);
    watcher.Check();
    job->Cancel();
    EXPECT_TRUE(watcher.Check().isEmpty());
    EXPECT_TRUE(job->LastJobResult.Log.isEmpty());
    // ... and its hand mark does not silence the next scheduled run.
    runStarts(45003);
    watcher.Check();
    runEnds(0, 2, false);
    EXPECT_EQ(watcher.Check().size(), 1);
}

} // namespace
