#include "jobs/JobStatusText.h"
#include "MainWindowFixture.h"
#include "ui/mainwindow/JobRowText.h"
#include "ui/mainwindow/TJobListModel.h"
#include "ui/mainwindow/TJobRowDelegate.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>

namespace {

const TDateTime kEnd = DateTimeFromQDateTime(Monday(11, 30));

struct TRowCase
{
    const char* name;
    std::function<void(TJob&)> set;
    QString operation;
    QString status;
    QString lastResult;
    QColor colour;
    bool alert = false;
    int progress = -1;
};

void running(TJob& job, TFileOperationType type, const QString& path, int progress)
{
    job.JobStatus.store(jsRunning);
    job.CurrentFileOperationType.store(type);
    job.CurrentFileOperationPath.set(path);
    job.CurrentFileOperationProgress.store(progress);
}

void finished(TJob& job, bool cancelled, int errors, int warnings)
{
    job.LastJobResult.StartTime.store(kEnd - 0.01);
    job.LastJobResult.EndTime.store(kEnd);
    job.LastJobResult.Cancelled.store(cancelled);
    job.LastJobResult.ErrorsCount.store(errors);
    job.LastJobResult.WarningsCount.store(warnings);
}

TEST_F(MainWindowTest, RowsShowOperationStatusAndLastResultOfEachState)
{
    const QString endText = FormatShortDateLongTime(kEnd);
    const QColor white(0xFF, 0xFF, 0xFF);
    const TRowCase cases[] = {
        {"never run", [](TJob&) {}, "Backup to /media/backup", "Ready", "Never started", white},
        {"share with doubled backslashes",
         [](TJob& job) { job.DestinationPath = QStringLiteral(R"(\\server\share\\Backups)"); },
         R"(Backup to \server\share\Backups)", "Ready", "Never started", white},
        {"copying",
         [](TJob& job) { running(job, atCopyFromLocalToRemoteFile, "/home/ann/Data/Report.docx", 42); },
         "Copying Report.docx", "Running", "42%", white, false, 42},
        {"copying a backslash path",
         [](TJob& job) {
             running(job, atCopyFromLocalToRemoteFileThroughTempFolder, R"(C:\Data\Report.docx)", 7);
         },
         "Copying Report.docx", "Running", "7%", white, false, 7},
        {"at 0 percent", [](TJob& job) { running(job, atCopyFromRemoteToLocalFile, "/d/a.txt", 0); },
         "Copying a.txt", "Running", "In progress...", white, false, 0},
        {"at 100 percent", [](TJob& job) { running(job, atRemoveRemoteFile, "/d/old.txt", 100); },
         "Removing old.txt", "Running", "In progress...", white, false, 100},
        {"creating", [](TJob& job) { running(job, atCreateRemoteFolder, "/d/2024", 50); }, "Creating 2024",
         "Running", "50%", white, false, 50},
        {"renaming", [](TJob& job) { running(job, atRenameRemoteFolder, "/d/Docs", 3); }, "Renaming Docs",
         "Running", "3%", white, false, 3},
        {"no operation shows the whole path", [](TJob& job) { running(job, atNone, "/d/sub/x", 0); },
         "/d/sub/x", "Running", "In progress...", white, false, 0},
        {"waiting for the storage",
         [](TJob& job) {
             running(job, atNone_WaitingForReconnection, "/d/x", 12);
             job.JobStatus.store(jsPaused);
         },
         "Make sure the storage device is connected. Then resume the job.", "Paused", "12%", white, true, 12},
        {"waiting", [](TJob& job) { job.JobStatus.store(jsWaiting); }, "Backup to /media/backup", "Waiting",
         "", white},
        {"cancelling", [](TJob& job) { job.JobStatus.store(jsCancelling); }, "Backup to /media/backup",
         "Cancelling", "", white},
        {"finished", [](TJob& job) { finished(job, false, 0, 0); }, "Backup to /media/backup", "Ready",
         "Finished on " + endText, kResultFinishedColour},
        {"warnings", [](TJob& job) { finished(job, false, 0, 2); }, "Backup to /media/backup", "Ready",
         "Finished with warnings on " + endText, kResultWarningsColour},
        {"errors", [](TJob& job) { finished(job, false, 1, 2); }, "Backup to /media/backup", "Ready",
         "Finished with errors on " + endText, kResultFailedColour},
        {"cancelled", [](TJob& job) { finished(job, true, 1, 0); }, "Backup to /media/backup", "Ready",
         "Cancelled on " + endText, kResultFailedColour},
    };
    for (const TRowCase& c : cases) {
        TJob_FilesAndFolders job("Docs");
        job.DestinationPath = QStringLiteral("/media/backup");
        c.set(job);
        const TJobRowCells cells = JobRowCells(job);
        EXPECT_EQ(cells.Title, "Docs") << c.name;
        EXPECT_EQ(cells.Operation, c.operation) << c.name;
        EXPECT_EQ(cells.OperationIsAlert, c.alert) << c.name;
        EXPECT_EQ(cells.Status, c.status) << c.name;
        EXPECT_EQ(cells.LastResult, c.lastResult) << c.name;
        EXPECT_EQ(cells.LastResultColour, c.colour) << c.name;
        EXPECT_EQ(cells.Progress, c.progress) << c.name;
    }
}

TEST_F(MainWindowTest, ModelReportsChangedRowsAndReadsAsText)
{
    TJob& first = addJob("First");
    addJob("Second");
    TJobListModel model(&h.Jobs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0).data(Qt::AccessibleTextRole).toString(),
              "First, Backup to , Ready, Never started");
    EXPECT_EQ(model.index(1).data(Qt::DisplayRole).toString(), model.index(1).data(Qt::AccessibleTextRole));
    EXPECT_EQ(model.index(0).data(Qt::ToolTipRole).toString(), "No schedule");

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    EXPECT_FALSE(model.Refresh());
    EXPECT_EQ(changed.count(), 0) << "nothing changed, nothing repainted";
    running(first, atCopyFromLocalToRemoteFile, "/a/Report.docx", 42);
    EXPECT_FALSE(model.Refresh());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 0);
    EXPECT_EQ(model.cells(0).LastResult, "42%");

    addJob("Third");
    EXPECT_TRUE(model.Refresh());
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    h.Jobs.MoveUp(2);
    EXPECT_TRUE(model.Refresh()) << "a new order resets the rows";
    EXPECT_EQ(model.cells(1).Title, "Third");
}

TEST_F(MainWindowTest, TooltipNamesTheNextStartAndTheLastRunsCounts)
{
    TJob& job = addJob("Docs");
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek.fill(false);
    job.SchedulingSettings.DaysOfWeek[3] = true; // Wednesday
    job.SchedulingSettings.TimeTable = {"08:00:00"};
    const TScheduleMoment now = TScheduleMoment::fromLocal(Monday(12, 0));
    const QString next =
        "Next scheduled start: " + FormatShortDateLongTime(DateTimeFromQDateTime(At(2024, 3, 6, 8, 0)));
    EXPECT_EQ(JobRowToolTip(job, now), next);
    finished(job, false, 2, 1);
    job.CurrentBackupFilesProcessed.store(1234);
    EXPECT_EQ(JobRowToolTip(job, now), next + "\nErrors: 2, Warnings: 1, Files processed: 1234");
    job.SchedulingSettings.DaysOfWeek.fill(false);
    EXPECT_TRUE(JobRowToolTip(job, now).startsWith("No scheduled start\n"));
}

// The painted "Last Result" text takes the colour of the result; the other cells stay white.
TEST_F(MainWindowTest, PaintedRowsCarryTheResultColours)
{
    const struct
    {
        const char* name;
        bool cancelled;
        int errors;
        int warnings;
        QColor colour;
    } cases[] = {
        {"Finished", false, 0, 0, kResultFinishedColour},
        {"Warnings", false, 0, 1, kResultWarningsColour},
        {"Errors", false, 3, 0, kResultFailedColour},
        {"Cancelled", true, 0, 0, kResultFailedColour},
    };
    for (const auto& c : cases)
        finished(addJob(c.name), c.cancelled, c.errors, c.warnings);
    addJob("Never");
    TfrmMainOstrinBackup& w = open();
    w.resize(1000, 500);
    w.show();
    const QImage image = list()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QHeaderView* header = child<QHeaderView>("hdJobsList");
    const int resultLeft = header->sectionPosition(3);
    const auto count = [&](int row, const QColor& colour, int left, int right) {
        const QRect rect = list()->visualRect(list()->model()->index(row, 0));
        int found = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = left; x < qMin(right, image.width()); ++x)
                found += image.pixelColor(x, y) == colour;
        return found;
    };
    for (int row = 0; row < 4; ++row) {
        const QColor expected = cases[row].colour;
        EXPECT_GT(count(row, expected, resultLeft, image.width()), 0) << cases[row].name;
        EXPECT_EQ(count(row, expected, 0, resultLeft), 0)
            << cases[row].name << ": only the result is coloured";
        EXPECT_GT(count(row, QColor(0xFF, 0xFF, 0xFF), 0, resultLeft), 0) << cases[row].name;
        EXPECT_GT(count(row, kRowBackground, 0, image.width()), 0) << cases[row].name;
    }
    EXPECT_EQ(count(4, kResultFinishedColour, resultLeft, image.width()), 0);
    w.selectJob(4);
    const QImage selected = list()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect row4 = list()->visualRect(list()->model()->index(4, 0));
    EXPECT_EQ(selected.pixelColor(2, row4.top() + 2), kSelectedRowBackground);
    EXPECT_EQ(row4.height(), 30 * list()->screen()->logicalDotsPerInchY() / 96);
}

} // namespace
