#include "FilesWizardFixture.h"

#include "jobs/uJob_FilesAndFolders.h"
#include "support/MissingFacility.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include <memory>
#include <unistd.h>

namespace {

class SourceTreeTest : public FilesWizardFixture
{
protected:
    void SetUp() override
    {
        FilesWizardFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        for (const char* folder : {"Work/Sub", "Work/Other", "Data", ".hidden"})
            ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
        for (const char* file : {"Work/a.txt", "Work/Sub/b.txt", "notes.txt", ".profile"}) {
            QFile f(dir.filePath(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QFile::link(dir.filePath("Work"), dir.filePath("WorkLink")));
    }

    TSourceTreeModel& model() const { return tree().Model(); }

    // Expands the items from a place down to `path`, listing each on the way.
    QModelIndex expandTo(const QString& path) const
    {
        QString above = path;
        while (!model().IndexOfPath(above).isValid() && above != "/")
            above = QFileInfo(above).path();
        QModelIndex index = model().IndexOfPath(above);
        while (index.isValid() && model().PathOf(index) != path) {
            tree().expand(index);
            waitForListings();
            const QString current = model().PathOf(index);
            const QString name = path.mid(current == "/" ? 1 : current.size() + 1).section('/', 0, 0);
            index = model().IndexOfPath(TSourceTreeSelection::ChildPath(current, name));
        }
        EXPECT_TRUE(index.isValid()) << path.toStdString();
        return index;
    }

    Qt::CheckState stateOf(const QString& path) const
    {
        return model().IndexOfPath(path).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }

    void click(const QString& path, Qt::CheckState to) const
    {
        model().setData(model().IndexOfPath(path), to, Qt::CheckStateRole);
    }

    QTemporaryDir dir;
};

TEST_F(SourceTreeTest, AJobsSourcesShowCheckedAndComeBackTheSame)
{
    // A whole volume: a file system mounted for the test.
    ZORVAN_SKIP_UNLESS(geteuid() == 0, "mounting a volume needs root");
    TmpfsMount volume(dir.filePath("Volume"), "zorvan-source-volume");
    ASSERT_TRUE(volume.mounted());
    ASSERT_TRUE(QDir(dir.filePath("Volume")).mkpath("Inside"));

    TJob_FilesAndFolders job("Docs");
    job.Settings.Sources.List = {dir.filePath("Missing/*"), dir.filePath("Work/Sub/b.txt"),
                                 dir.filePath("Volume/*"), dir.filePath("Data/*")};
    wizard.JobToControls(job);
    const QStringList existing = {dir.filePath("Work/Sub/b.txt"), dir.filePath("Volume/*"),
                                  dir.filePath("Data/*")};
    EXPECT_EQ(tree().CheckedPaths(), existing);

    expandTo(dir.filePath("Work/Sub/b.txt"));
    expandTo(dir.filePath("Volume/Inside"));
    EXPECT_EQ(stateOf(dir.filePath("Work/Sub/b.txt")), Qt::Checked);
    EXPECT_EQ(stateOf(dir.filePath("Work/Sub")), Qt::PartiallyChecked);
    EXPECT_EQ(stateOf(dir.filePath("Work")), Qt::PartiallyChecked);
    EXPECT_EQ(stateOf(dir.path()), Qt::PartiallyChecked);
    EXPECT_EQ(stateOf(dir.filePath("Work/a.txt")), Qt::Unchecked);
    EXPECT_EQ(stateOf(dir.filePath("Work/Other")), Qt::Unchecked);
    EXPECT_EQ(stateOf(dir.filePath("Volume")), Qt::Checked);
    EXPECT_EQ(stateOf(dir.filePath("Volume/Inside")), Qt::Checked) << "inside a checked folder";
    EXPECT_EQ(stateOf(dir.filePath("Data")), Qt::Checked);
    EXPECT_EQ(stateOf(dir.filePath("notes.txt")), Qt::Unchecked);
    EXPECT_FALSE(model().IndexOfPath(dir.filePath("Missing")).isValid());
    EXPECT_EQ(find<QLabel>("Label21")->text(), "View as list (3)");

    TJob_FilesAndFolders saved("Docs");
    wizard.ControlsToJob(saved);
    EXPECT_EQ(saved.Settings.Sources.List, existing);
}

TEST_F(SourceTreeTest, FoldersAreListedWhenExpandedWithHiddenItemsAndLinksNotEntered)
{
    const QModelIndex top = expandTo(dir.path());
    ASSERT_TRUE(top.isValid());
    EXPECT_EQ(model().PathOf(top), dir.path());
    EXPECT_TRUE(model().hasChildren(top));
    tree().expand(top);
    waitForListings();
    QStringList names;
    for (int row = 0; row < model().rowCount(top); ++row)
        names.append(model().index(row, 0, top).data().toString());
    // Folders first (a link to a folder among them), then files; hidden ones included.
    EXPECT_EQ(names, QStringList({".hidden", "Data", "Work", "WorkLink", ".profile", "notes.txt"}));

    const QModelIndex link = model().IndexOfPath(dir.filePath("WorkLink"));
    EXPECT_FALSE(model().hasChildren(link)) << "a link to a folder is never entered";
    EXPECT_FALSE(model().canFetchMore(link));
    const QModelIndex work = model().IndexOfPath(dir.filePath("Work"));
    EXPECT_EQ(model().rowCount(work), 0) << "not listed before it is expanded";
    EXPECT_TRUE(model().hasChildren(work));
    const QModelIndex empty = model().IndexOfPath(dir.filePath("Data"));
    tree().expand(empty);
    waitForListings();
    EXPECT_FALSE(model().hasChildren(empty)) << "an empty folder loses its expander once listed";
}

TEST_F(SourceTreeTest, CheckingAndUncheckingKeepsTheListExact)
{
    expandTo(dir.filePath("Work/Sub/b.txt"));
    int changes = 0;
    QObject::connect(&model(), &TSourceTreeModel::checkedPathsChanged, [&] { ++changes; });

    click(dir.filePath("Work/Sub/b.txt"), Qt::Checked);
    click(dir.filePath("notes.txt"), Qt::Checked);
    EXPECT_EQ(tree().CheckedPaths(),
              QStringList({dir.filePath("Work/Sub/b.txt"), dir.filePath("notes.txt")}));

    // Checking a folder takes in what was checked inside it.
    click(dir.filePath("Work"), Qt::Checked);
    EXPECT_EQ(tree().CheckedPaths(), QStringList({dir.filePath("notes.txt"), dir.filePath("Work/*")}));
    EXPECT_EQ(stateOf(dir.filePath("Work/Sub/b.txt")), Qt::Checked);

    // Unchecking something inside a checked folder leaves the rest of it checked, level by level; the
    // link to a folder inside is left out as a backup of the folder would leave it out.
    ASSERT_TRUE(QFile::link(dir.filePath("Data"), dir.filePath("Work/Sub/DataLink")));
    click(dir.filePath("Work/Sub/b.txt"), Qt::Unchecked);
    EXPECT_EQ(tree().CheckedPaths(), QStringList({dir.filePath("notes.txt"), dir.filePath("Work/Other/*"),
                                                  dir.filePath("Work/a.txt")}));
    EXPECT_EQ(stateOf(dir.filePath("Work")), Qt::PartiallyChecked);
    EXPECT_EQ(stateOf(dir.filePath("Work/Sub")), Qt::Unchecked);

    click(dir.filePath("Work/Other"), Qt::Unchecked);
    click(dir.filePath("notes.txt"), Qt::Unchecked);
    EXPECT_EQ(tree().CheckedPaths(), QStringList({dir.filePath("Work/a.txt")}));
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(find<QLabel>("Label21")->text(), "View as list (1)");

    // A new job starts with nothing checked and the tree collapsed.
    wizard.ClearControls();
    EXPECT_EQ(tree().CheckedPaths(), QStringList());
    EXPECT_EQ(model().rowCount(model().IndexOfPath(model().PathOf(model().index(0, 0)))), 0);
}

TEST_F(SourceTreeTest, ThePlacesStartWithHomeAndEndWithTheRoot)
{
    const int places = model().rowCount();
    ASSERT_GE(places, 2);
    EXPECT_EQ(model().PathOf(model().index(0, 0)), QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(model().PathOf(model().index(places - 1, 0)), "/");
    click("/", Qt::Checked);
    EXPECT_EQ(tree().CheckedPaths(), QStringList({"/*"}));
    EXPECT_EQ(stateOf(QDir::cleanPath(QDir::homePath())), Qt::Checked);
}

} // namespace
