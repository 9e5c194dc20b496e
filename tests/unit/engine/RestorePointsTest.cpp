// Restore point labels, the chain a point needs, and the choice through the restore interaction.
#include "engine/RestorePoints.h"
#include "events/EventsLog.h"

#include <gtest/gtest.h>

namespace {

TEST(RestorePointLabels, SemicolonsOfTheTimeShowAsColonsAndTurnBack)
{
    const QString entry = "2024-06-30 21;05;00 (Full)";
    EXPECT_EQ(RestorePointLabel(entry), "2024-06-30 21:05:00 (Full)");
    EXPECT_EQ(RestorePointSubfolder(RestorePointLabel(entry)), entry);
    EXPECT_EQ(RestorePointLabel("2024-07-01 08;00;59 (Incremental)"), "2024-07-01 08:00:59 (Incremental)");
}

TEST(RestorePointLabels, ZipMarkersAndBackupTypes)
{
    EXPECT_TRUE(IsZipRestorePoint("2024-06-30 21:05:00 (ZIP , Full)"));
    EXPECT_TRUE(IsZipRestorePoint("2024-06-30 21:05:00 (ZIPs , Incremental)"));
    EXPECT_FALSE(IsZipRestorePoint("2024-06-30 21:05:00 (Full)"));
    EXPECT_FALSE(IsZipRestorePoint("2024-06-30 21:05:00 (ZIP, Full)"));

    const struct
    {
        const char* marker;
        bool known;
        TBackupType type;
    } cases[] = {{"Full)", true, btFull},
                 {"Incremental)", true, btInc},
                 {"Syncronization)", true, btSync},
                 {"Synchronization)", false, btInc},
                 {"", false, btInc},
                 {"full)", false, btInc}};
    for (const auto& c : cases) {
        TBackupType type = btInc;
        EXPECT_EQ(BackupTypeFromMarker(c.marker, type), c.known) << c.marker;
        EXPECT_EQ(type, c.type) << c.marker;
    }
}

TEST(RestoreChainTest, FullPointAloneOrNearestFullThenEveryIncrementUpToThePoint)
{
    const QStringList points = {"d1 (Incremental)",    "d2 (Full)",       "d3 (Incremental)",
                                "d4 (Incremental)",    "d5 (Full)",       "d6 (Incremental)",
                                "d7 (something else)", "d8 (Incremental)"};
    const struct
    {
        qint32 index;
        QStringList chain;
    } cases[] = {
        {0, {}}, // an increment without a full copy before it restores nothing
        {1, {"d2 (Full)"}},
        {2, {"d2 (Full)", "d3 (Incremental)"}},
        {3, {"d2 (Full)", "d3 (Incremental)", "d4 (Incremental)"}},
        {4, {"d5 (Full)"}},
        {5, {"d5 (Full)", "d6 (Incremental)"}},
        {6, {}}, // a name of neither kind
        {7, {"d5 (Full)", "d6 (Incremental)", "d7 (something else)", "d8 (Incremental)"}},
        {8, {}},
        {-1, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RestoreChain(points, c.index), c.chain) << c.index;
    // Labels (with colons) name the same subfolders as the stored entries.
    EXPECT_EQ(RestoreChain({"2024-06-30 21:05:00 (Full)", "2024-06-30 21:06:00 (Incremental)"}, 1),
              QStringList({"2024-06-30 21;05;00 (Full)", "2024-06-30 21;06;00 (Incremental)"}));
}

TEST(RestoreChainTest, PointNamesMustBeOneFolderOfTheBackup)
{
    for (const char* good : {"2024-06-30 21;05;00 (Full)", "x", "..x", "a\\b"})
        EXPECT_TRUE(IsSafeRestorePointName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x (Full)", "a/b (Full)", "/etc (Full)", "\\\\server\\share"})
        EXPECT_FALSE(IsSafeRestorePointName(bad)) << bad;
    EXPECT_FALSE(IsSafeRestorePointName(QString("a") + QChar(0) + "b"));
}

TEST(RestoreChainTest, StartFlagNamesOneSubfolderOrNone)
{
    EXPECT_EQ(StartFlagSubfolder({"2024-06-30 21;05;00 (Full)", "ignored"}),
              QString("2024-06-30 21;05;00 (Full)"));
    EXPECT_EQ(StartFlagSubfolder({}), QString()); // a mirror's flag
    EXPECT_EQ(StartFlagSubfolder({""}), QString());
    for (const char* foreign : {"..", "../other job", "/home/user", "//server/share", "\\\\server\\share"})
        EXPECT_EQ(StartFlagSubfolder({foreign}), std::nullopt) << foreign;
}

class ScriptedChooser final : public TRestoreInteraction
{
public:
    bool ChooseOutputFolder(QString&) override { return false; }
    void ShowLoading() override {}
    void CloseLoading() override {}
    bool ChooseRestorePoint(const QStringList& labels, qint32& index) override
    {
        shown = labels;
        index = answer;
        return answer != kCancel;
    }
    QString QueryZipPassword(const QString& caption, const QString& prompt) override
    {
        passwordCaption = caption;
        passwordPrompt = prompt;
        return password;
    }
    void ShowError(const QString&) override {}

    static constexpr qint32 kCancel = -100;
    qint32 answer = kCancel;
    QString password;
    QStringList shown;
    QString passwordCaption;
    QString passwordPrompt;
};

class ChooseRestorePointTest : public testing::Test
{
protected:
    void SetUp() override
    {
        job.JobStatus = jsRunning;
        EventsQueue().takeAll();
    }
    TJob_FilesAndFolders job{"Docs"};
    ScriptedChooser ui;
    const QStringList points = {"2024-06-30 21;05;00 (Full)", "2024-06-30 21;06;00 (ZIP , Incremental)"};
    qint32 index = -1;
    QString password;
};

TEST_F(ChooseRestorePointTest, OkTakesTheIndexAndLogsTheLabel)
{
    ui.answer = 0;
    ASSERT_TRUE(ChooseRestorePoint(job, ui, points, index, password));
    EXPECT_EQ(ui.shown,
              QStringList({"2024-06-30 21:05:00 (Full)", "2024-06-30 21:06:00 (ZIP , Incremental)"}));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(password.isEmpty());
    EXPECT_TRUE(ui.passwordCaption.isEmpty()) << "no password asked for a plain backup";
    const QStringList log = job.LastJobResult.Log.snapshot();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(": Choosing the restore point.")) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith(": Chosen restore point: 2024-06-30 21:05:00 (Full)"))
        << log[1].toStdString();
    EXPECT_EQ(job.JobStatus, jsRunning);
}

TEST_F(ChooseRestorePointTest, ZipLabelAsksForThePasswordAndAnEmptyAnswerStillGoesOn)
{
    ui.answer = 1;
    ui.password = "pw";
    ASSERT_TRUE(ChooseRestorePoint(job, ui, points, index, password));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(password, "pw");
    EXPECT_EQ(ui.passwordCaption, "Enter the Password");
    EXPECT_EQ(ui.passwordPrompt, "Password for ZIP archives of backup Docs:");

    ui.password.clear();
    password = "old";
    ASSERT_TRUE(ChooseRestorePoint(job, ui, points, index, password));
    EXPECT_TRUE(password.isEmpty());
}

TEST_F(ChooseRestorePointTest, CancelOrAnIndexOutsideTheListCancelsTheJob)
{
    for (qint32 answer : {ScriptedChooser::kCancel, 2, -1}) {
        job.JobStatus = jsRunning;
        ui.answer = answer;
        EXPECT_FALSE(ChooseRestorePoint(job, ui, points, index, password)) << answer;
        EXPECT_EQ(job.JobStatus, jsCancelling) << answer;
    }
    job.JobStatus = jsRunning;
    ui.answer = ScriptedChooser::kCancel;
    EXPECT_FALSE(ChooseRestorePoint(job, ui, {}, index, password));
    EXPECT_TRUE(ui.shown.isEmpty());
}

} // namespace
