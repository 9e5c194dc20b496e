// "Restore" of a files-and-folders job from the main window, driven through the windows' object names:
// the output folder, the restore point window (its loading state, OK only on a selection, Cancel and
// closing), the messages of a failed preparation, the choice of items, and what lands in the folder.
#include "app/FilesRestoreCommand.h"
#include "base/Clock.h"
#include "engine/PointContents.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobPaths.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "support/CliRunner.h"
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/restore/RestoreItemsModel.h"
#include "ui/restore/TfrmRestoreItems.h"
#include "ui/restore/TfrmRestoreList.h"
#include "ui/widgets/FolderChooser.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>

using namespace ModalSteps;
using namespace TestEnvironment;

namespace {

using State = QMap<QString, QByteArray>; // relative path -> content; folders end in "/"

State stateOf(const QString& folder)
{
    return treeContents(folder);
}

class RestoreWindowTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Clock::setTestTime(QDateTime(QDate(2024, 6, 30), QTime(21, 5, 0)));
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        Clock::resetTestTime();
    }

    // An incremental job "Inc" with three backups: a file changed at each, a folder that loses a file
    // and then gains one. `states` holds the sources (below the destination's naming) at each run.
    void makeThreeBackups()
    {
        createFilesJob("Inc", {}, "incremental");
        write("changing.txt", "first");
        write("keep.txt", "kept");
        write("Folder/a.txt", "a");
        write("Folder/b.txt", "b");
        backup();
        write("changing.txt", "second");
        QFile::remove(sourceRoot + "/Inc/Folder/b.txt");
        backup();
        write("changing.txt", "third");
        write("Folder/c.txt", "c");
        backup();
    }
    void write(const QString& relative, const QByteArray& content)
    {
        writeFile(sourceRoot + "/Inc/" + relative, content);
    }
    void backup()
    {
        const CliRun run = RunCli({"backup", "Inc"});
        ASSERT_EQ(run.code, 0) << run.out.toStdString() << run.err.toStdString();
        states.append(stateOf(sourceRoot));
        Clock::advanceTestTime(60000);
    }

    TJob_FilesAndFolders& job()
    {
        return static_cast<TJob_FilesAndFolders&>(*program->jobs().findByName("Inc"));
    }
    // Starts "Restore" on the job with `output` answered to the folder chooser.
    void restoreInto(const QString& output)
    {
        FolderChooserHook::answerNext(output);
        const int row = rowOf("Inc");
        ASSERT_GE(row, 0);
        program->mainWindow().selectJob(row);
        program->mainWindow().UpdateCommandStates();
        trigger("ActionRestore");
        ASSERT_TRUE(waitUntil([&] { return job().isIdle(); }, 60000));
    }
    QString freshOutput()
    {
        const QString output = root + "/out" + QString::number(++outputs);
        QDir().mkpath(output);
        return output;
    }
    QStringList history() { return job().BackupHistory.snapshot(); }

    QList<State> states;
    int outputs = 0;
};

// The choosing state: OK stays off until a label is clicked, then `steps` decide.
void whenPointsShown(std::function<void(TfrmRestoreList&, QListWidget&)> steps)
{
    whenShown(QStringLiteral("frmRestoreList"), [steps](QWidget& window) {
        auto& list = static_cast<TfrmRestoreList&>(window);
        steps(list, *child<QListWidget>(window, "ListBox1"));
    });
}

TEST_F(RestoreWindowTest, TheChosenPointOfAnIncrementalJobIsRestoredExactly)
{
    makeThreeBackups();
    start();
    const QString output = freshOutput();
    QStringList labels;
    bool okAtFirst = true;
    whenPointsShown([&](TfrmRestoreList& window, QListWidget& list) {
        for (int i = 0; i < list.count(); ++i)
            labels.append(list.item(i)->text());
        okAtFirst = child<QPushButton>(window, "Button1")->isEnabled();
        EXPECT_FALSE(child<QLabel>(window, "Panel2")->isVisible());
        EXPECT_EQ(child<QLabel>(window, "Label1")->text(), "Please choose a restore point:");
        EXPECT_EQ(window.windowTitle(), " Restore");
        list.setCurrentRow(1);
        EXPECT_TRUE(child<QPushButton>(window, "Button1")->isEnabled());
        window.grab().save("/tmp/restore16-shots/restore-points.png");
        click(window, "Button1");
    });
    restoreInto(output);
    EXPECT_FALSE(okAtFirst);
    EXPECT_EQ(labels, QStringList({"2024-06-30 21:05:00 (Full)", "2024-06-30 21:06:00 (Incremental)",
                                   "2024-06-30 21:07:00 (Incremental)"}));
    EXPECT_EQ(stateOf(output), states.at(1));
    EXPECT_FALSE(job().LastJobResult.Cancelled);
    EXPECT_TRUE(history().last().endsWith("Restore job is finished.")) << history().join('\n').toStdString();
    EXPECT_EQ(FolderChooserHook::asked().last().Title, "Choose an output directory");
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());
}

TEST_F(RestoreWindowTest, CancelOrClosingThePointListEndsTheRestoreAsCancelled)
{
    makeThreeBackups();
    start();
    for (const char* how : {"Button2", "close"}) {
        SCOPED_TRACE(how);
        const QString output = freshOutput();
        whenPointsShown([&](TfrmRestoreList& window, QListWidget& list) {
            list.setCurrentRow(2);
            if (QLatin1String(how) == QLatin1String("close"))
                window.close();
            else
                click(window, how);
        });
        restoreInto(output);
        EXPECT_TRUE(job().LastJobResult.Cancelled);
        EXPECT_TRUE(history().last().endsWith("Restore is cancelled.")) << history().join('\n').toStdString();
        EXPECT_TRUE(stateOf(output).isEmpty());
    }
    // The folder chooser cancelled: nothing at all happens.
    const qsizetype historyLines = history().size();
    FolderChooserHook::answerNext(QString());
    program->mainWindow().selectJob(rowOf("Inc"));
    trigger("ActionRestore");
    EXPECT_TRUE(job().isIdle());
    EXPECT_EQ(history().size(), historyLines);
}

TEST_F(RestoreWindowTest, UnreachableStorageAndMissingJobFileGiveTheirMessages)
{
    makeThreeBackups();
    start();
    const QString backupFolder = destination + "/Inc";
    QDir().rename(destination, destination + ".away");
    MessageDialogHook::clearShown();
    restoreInto(freshOutput());
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_TRUE(
        MessageDialogHook::shown().first().Text.startsWith("Unable to connect to the backup storage.\r\n"))
        << MessageDialogHook::shown().first().Text.toStdString();
    EXPECT_EQ(MessageDialogHook::shown().first().Kind, mtError);
    EXPECT_FALSE(program->filesRestore().restoreList().isVisible());

    QDir().rename(destination + ".away", destination);
    QFile::remove(backupFolder + ".kxj");
    MessageDialogHook::clearShown();
    restoreInto(freshOutput());
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().first().Text,
              "Unable to copy the job file \"Inc.kxj\" from the backup directory.");
    EXPECT_TRUE(job().isIdle());
}

TEST_F(RestoreWindowTest, TheLoadingStateShowsWhileTheJobFileIsRead)
{
    makeThreeBackups();
    // A large job file on the storage takes a while to fetch and read.
    {
        TJob_FilesAndFolders stored("Inc");
        TRemoteBookkeeping bookkeeping;
        const QString path = destination + "/Inc.kxj";
        stored.LoadRemoteJobFile(path, false, bookkeeping);
        for (int i = 0; i < 300000; ++i) {
            bookkeeping.PreviousLocalFilesList.append(QStringLiteral("Inc/padding/file %1.txt").arg(i));
            bookkeeping.PreviousLocalFilesTimeList.append(QStringLiteral("2024-01-01 00:00:00:000"));
        }
        stored.SaveRemoteJobFile(path, bookkeeping);
    }
    start();
    TfrmRestoreList& window = program->filesRestore().restoreList();
    QString loadingText;
    bool choosingSeen = false;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (window.IsLoading() && loadingText.isEmpty()) {
            loadingText = window.findChild<QLabel*>("Panel2")->text();
            window.grab().save("/tmp/restore16-shots/restore-loading.png");
            EXPECT_FALSE(window.findChild<QWidget*>("Panel3")->isVisible());
        }
    });
    watch.start();
    whenPointsShown([&](TfrmRestoreList& shown, QListWidget&) {
        choosingSeen = true;
        EXPECT_FALSE(shown.IsLoading());
        click(shown, "Button2");
    });
    restoreInto(freshOutput());
    EXPECT_EQ(loadingText, "Loading the list of backups...");
    EXPECT_TRUE(choosingSeen);
}

TEST_F(RestoreWindowTest, ChosenItemsOfAPointAreRestoredAndNothingElse)
{
    makeThreeBackups();
    start();
    const QString output = freshOutput();
    whenPointsShown([&](TfrmRestoreList& window, QListWidget& list) {
        list.setCurrentRow(2);
        child<QRadioButton>(window, "rbChooseItems")->setChecked(true);
        click(window, "Button1");
    });
    QStringList topNames;
    whenShown(QStringLiteral("frmRestoreItems"), [&](QWidget& window) {
        auto& items = static_cast<TfrmRestoreItems&>(window);
        TRestoreItemsModel& model = *items.model();
        EXPECT_FALSE(child<QPushButton>(window, "btOK")->isEnabled());
        const TPointContents& contents = model.contents();
        const TPointContents::TId top = contents.children(TPointContents::kTop).front();
        for (TPointContents::TId id : contents.children(top))
            topNames.append(contents.name(id).toString());
        const QString base = contents.path(top) + '/';
        auto* tree = child<QTreeView>(window, "tvItems");
        tree->expandAll();
        model.setChecked(contents.find(base + "Folder"), true);
        model.setChecked(contents.find(base + "Folder/c.txt"), false);
        model.setChecked(contents.find(base + "changing.txt"), true);
        EXPECT_EQ(model.checkState(contents.find(base + "Folder")), Qt::PartiallyChecked);
        EXPECT_EQ(model.checkState(contents.find(base + "Folder/a.txt")), Qt::Checked);
        EXPECT_TRUE(child<QPushButton>(window, "btOK")->isEnabled());
        window.grab().save("/tmp/restore16-shots/restore-items.png");
        click(window, "btOK");
    });
    restoreInto(output);
    EXPECT_EQ(topNames, QStringList({"Folder", "changing.txt", "keep.txt"}));
    State expected;
    for (auto it = states.at(2).begin(); it != states.at(2).end(); ++it) {
        if (!it.key().contains("keep.txt") && !it.key().contains("c.txt"))
            expected.insert(it.key(), it.value());
    }
    EXPECT_EQ(stateOf(output), expected);
    EXPECT_FALSE(job().LastJobResult.Cancelled);
}

TEST_F(RestoreWindowTest, AMirrorOffersTheSameChoiceOfItems)
{
    createFilesJob("Inc", {}, "mirror");
    write("one.txt", "1");
    write("Sub/two.txt", "2");
    write("Sub/three.txt", "3");
    backup();
    start();
    const QString output = freshOutput();
    bool listShown = true;
    whenShown(QStringLiteral("frmRestoreList"), [&](QWidget& window) {
        listShown = child<QListWidget>(window, "ListBox1")->isVisible();
        EXPECT_TRUE(child<QPushButton>(window, "Button1")->isEnabled());
        window.grab().save("/tmp/restore16-shots/restore-mirror.png");
        child<QRadioButton>(window, "rbChooseItems")->setChecked(true);
        click(window, "Button1");
    });
    whenShown(QStringLiteral("frmRestoreItems"), [&](QWidget& window) {
        TRestoreItemsModel& model = *static_cast<TfrmRestoreItems&>(window).model();
        model.setChecked(model.contents().find("Inc/Sub/two.txt"), true);
        click(window, "btOK");
    });
    restoreInto(output);
    EXPECT_FALSE(listShown);
    EXPECT_EQ(stateOf(output), State({{"Inc/", {}}, {"Inc/Sub/", {}}, {"Inc/Sub/two.txt", "2"}}));
    EXPECT_FALSE(job().LastJobResult.Cancelled);
}

} // namespace
