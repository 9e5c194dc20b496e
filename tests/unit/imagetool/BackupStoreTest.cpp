#include "imagetool/BackupStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TManifestImage image(const QString& name)
{
    TManifestImage value;
    value.Item = "/data/" + name;
    value.Source = "/data/" + name;
    value.Name = name;
    value.File = name + ".img";
    value.Size = (quint64(1) << 60) + 3; // beyond what a JSON double holds exactly
    value.DataBytes = 4096;
    value.StoredBytes = 100;
    value.Sha256 = QByteArray(32, '\x11');
    return value;
}

TVersionManifest manifest(const QDateTime& created)
{
    TVersionManifest value;
    value.Host = "pc";
    value.Created = created.toUTC();
    value.Tool = "zorvan-imagetool 1.0";
    value.Images = {image("disk.raw"), image("sdb1")};
    return value;
}

TEST(VersionManifest, RoundTripKeepsExactSizesAndFindsImagesByAnyName)
{
    const TVersionManifest written = manifest(QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0), Qt::UTC));
    TVersionManifest read;
    ASSERT_TRUE(TVersionManifest::FromJson(written.ToJson(), read));
    ASSERT_EQ(read.Images.size(), 2);
    EXPECT_EQ(read.Images[0].Size, written.Images[0].Size);
    EXPECT_EQ(read.Images[1].Sha256, written.Images[1].Sha256);
    EXPECT_EQ(read.Created, written.Created);
    for (const char* name : {"/data/sdb1", "sdb1", "sdb1.img", "/data/sdb1/"})
        EXPECT_EQ(read.FindImage(name), &read.Images[1]) << name;
    EXPECT_EQ(read.FindImage("/data/other"), nullptr);
}

TEST(VersionManifest, RejectsImageFilesOutsideTheVersionFolder)
{
    const QString withNul = QString("sdb1.img") + QChar(0) + "x"; // the system would open "sdb1.img"
    for (const QString& file :
         {QString("../../etc/shadow"), QString("sub/x.img"), QString(".hidden"), QString(), withNul}) {
        TVersionManifest value = manifest(QDateTime::currentDateTimeUtc());
        value.Images[0].File = file;
        TVersionManifest read;
        EXPECT_FALSE(TVersionManifest::FromJson(value.ToJson(), read)) << file.toStdString();
    }
    TVersionManifest read;
    EXPECT_FALSE(TVersionManifest::FromJson("{\"format\": \"something else\"}", read));
    EXPECT_FALSE(TVersionManifest::FromJson("not json", read));
}

TEST(BackupStore, VersionsAreCompleteFoldersInCreationOrder)
{
    const QString target = TestEnvironment::makeFolder("store");
    TBackupStore store(target, "pc/with slash");
    EXPECT_EQ(store.HostFolder(), target + "/ZorvanImageBackup/pc_with_slash");

    const QDateTime when(QDate(2024, 5, 1), QTime(10, 0, 0));
    QString first, firstFolder, second, secondFolder, third, thirdFolder;
    ASSERT_EQ(store.CreatePartialVersion(when, first, firstFolder), 0);
    ASSERT_EQ(store.CreatePartialVersion(when, second, secondFolder), 0);
    EXPECT_EQ(first, "2024-05-01 10;00;00");
    EXPECT_EQ(second, "2024-05-01 10;00;01"); // the same second is taken
    EXPECT_TRUE(firstFolder.endsWith("10;00;00.partial"));
    EXPECT_TRUE(store.Versions().isEmpty()) << "unfinished versions are not listed";

    // The later name was created first: the manifests' moments decide the order, as when the
    // clock was set back between two backups.
    ASSERT_EQ(store.CompleteVersion(secondFolder, second, manifest(when.addSecs(-3600))), 0);
    ASSERT_EQ(store.CompleteVersion(firstFolder, first, manifest(when)), 0);
    ASSERT_EQ(store.CreatePartialVersion(when, third, thirdFolder), 0);
    EXPECT_EQ(third, "2024-05-01 10;00;02");
    QDir(store.HostFolder()).mkdir("notes");
    QDir(store.HostFolder()).mkdir("2024-01-01 00;00;00"); // no manifest

    const QList<TStoredVersion> versions = store.Versions();
    ASSERT_EQ(versions.size(), 2);
    EXPECT_EQ(versions[0].Name, second);
    EXPECT_EQ(versions[1].Name, first);
    EXPECT_FALSE(QFileInfo::exists(firstFolder));
    TStoredVersion found;
    EXPECT_TRUE(store.FindVersion(first, found));
    EXPECT_FALSE(store.FindVersion("../" + first, found));
    EXPECT_FALSE(store.FindVersion(third, found));
}

TEST(BackupStore, OnlyUnfinishedVersionsLeftAloneForADayAreStale)
{
    const QString target = TestEnvironment::makeFolder("stale");
    TBackupStore store(target, "pc");
    QString name, folder;
    ASSERT_EQ(store.CreatePartialVersion(QDateTime::currentDateTime(), name, folder), 0);
    TestEnvironment::writeFile(folder + "/disk.img", "partial");
    EXPECT_TRUE(store.StalePartialFolders(QDateTime::currentDateTime()).isEmpty());
    EXPECT_TRUE(store.StalePartialFolders(QDateTime::currentDateTime().addSecs(23 * 3600)).isEmpty());
    EXPECT_EQ(store.StalePartialFolders(QDateTime::currentDateTime().addSecs(25 * 3600)),
              QStringList{folder});
}

} // namespace
