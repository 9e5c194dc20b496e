// The drive list and the drive drop-down on this machine's real volumes, with file-backed volumes
// mounted for the test.
#include "ui/widgets/DriveList.h"
#include "support/LoopVolume.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QTreeWidgetItem* rowOf(TDriveList& list, const QString& mountPoint)
{
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        if (list.topLevelItem(i)->text(0) == mountPoint)
            return list.topLevelItem(i);
    return nullptr;
}

int indexOf(const TDriveComboBox& box, const QString& mountPoint)
{
    for (int i = 0; i < box.count(); ++i)
        if (box.itemData(i).toString() == mountPoint)
            return i;
    return -1;
}

class DriveListOnThisMachine : public testing::Test
{
protected:
    void SetUp() override
    {
        ZORVAN_SKIP_UNLESS(geteuid() == 0, "mounting test volumes needs root");
        const QString folder = TestEnvironment::makeFolder("drives");
        volume = std::make_unique<LoopVolume>(folder + "/data.img", folder + "/Backup Disk", "ZorvanData");
        ASSERT_TRUE(volume->mounted()) << volume->errorText().toStdString();
        readOnly = std::make_unique<LoopVolume>(folder + "/ro.img", folder + "/ro", "ZorvanRO", true);
        ASSERT_TRUE(readOnly->mounted()) << readOnly->errorText().toStdString();
        memory = std::make_unique<TmpfsMount>(folder + "/memory", "zorvan-memory");
        ASSERT_TRUE(memory->mounted());
        dataPoint = QDir(folder + "/Backup Disk").canonicalPath();
        readOnlyPoint = QDir(folder + "/ro").canonicalPath();
        memoryPoint = QDir(folder + "/memory").canonicalPath();
    }

    std::unique_ptr<LoopVolume> volume;
    std::unique_ptr<LoopVolume> readOnly;
    std::unique_ptr<TmpfsMount> memory;
    QString dataPoint;
    QString readOnlyPoint;
    QString memoryPoint;
};

TEST_F(DriveListOnThisMachine, ListsTheMountedBlockVolumesWithTheirDetailsAndNoMemoryFileSystem)
{
    TDriveList list;
    list.Refresh();
    QTreeWidgetItem* data = rowOf(list, dataPoint);
    ASSERT_NE(data, nullptr) << "the file-backed volume is a drive";
    EXPECT_EQ(data->text(1), "ZorvanData");
    EXPECT_EQ(data->text(2), volume->device());
    EXPECT_TRUE(data->text(2).startsWith("/dev/loop"));
    EXPECT_FALSE(data->text(3).isEmpty()) << "its size";
    EXPECT_EQ(data->text(4), "ext4");
    EXPECT_EQ(data->checkState(0), Qt::Unchecked);
    EXPECT_NE(rowOf(list, readOnlyPoint), nullptr) << "a read-only volume can still be imaged";
    EXPECT_EQ(rowOf(list, memoryPoint), nullptr) << "a RAM file system is no drive";
    EXPECT_EQ(rowOf(list, "/proc"), nullptr);
    EXPECT_EQ(rowOf(list, "/sys"), nullptr);

    QSignalSpy changed(&list, &TDriveList::checkedDrivesChanged);
    data->setCheckState(0, Qt::Checked);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.CheckedDrives(), QStringList({dataPoint}));
    list.Refresh();
    EXPECT_TRUE(list.CheckedDrives().isEmpty()) << "a refresh checks nothing";
}

TEST_F(DriveListOnThisMachine, AJobsDrivesStayCheckedEvenWhenNotMountedNow)
{
    TDriveList list;
    list.Refresh();
    const int mounted = list.topLevelItemCount();
    list.CheckDrives({dataPoint + "/", "/media/unplugged"});
    EXPECT_EQ(list.CheckedDrives(), QStringList({dataPoint, "/media/unplugged"}))
        << "a trailing slash names the same drive; a missing drive is kept as written";
    ASSERT_EQ(list.topLevelItemCount(), mounted + 1);
    EXPECT_EQ(rowOf(list, "/media/unplugged")->text(2), "not connected");
    list.UncheckAll();
    EXPECT_TRUE(list.CheckedDrives().isEmpty());
}

TEST_F(DriveListOnThisMachine, TheDropDownOffersWritableVolumesAndKeepsAJobsPath)
{
    TDriveComboBox box;
    box.Refresh();
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_TRUE(box.ChosenDrive().isEmpty());
    const int data = indexOf(box, dataPoint);
    ASSERT_GE(data, 0);
    EXPECT_TRUE(box.itemText(data).contains("ZorvanData")) << box.itemText(data).toStdString();
    EXPECT_LT(indexOf(box, readOnlyPoint), 0) << "images cannot be written to a read-only volume";
    EXPECT_LT(indexOf(box, memoryPoint), 0);

    box.ChooseDrive(dataPoint + "/");
    EXPECT_EQ(box.ChosenDrive(), dataPoint);
    const int before = box.count();
    box.ChooseDrive("/media/unplugged");
    EXPECT_EQ(box.ChosenDrive(), "/media/unplugged");
    EXPECT_EQ(box.count(), before + 1);
    EXPECT_TRUE(box.currentText().contains("not connected")) << box.currentText().toStdString();
    ASSERT_TRUE(QDir().mkpath(dataPoint + "/images"));
    box.ChooseDrive(dataPoint + "/images");
    EXPECT_EQ(box.ChosenDrive(), dataPoint + "/images")
        << "a folder on a volume, as a job made elsewhere names it";
    EXPECT_EQ(box.currentText(), dataPoint + "/images");
    box.ChooseDrive(QString());
    EXPECT_TRUE(box.ChosenDrive().isEmpty());
}

} // namespace
