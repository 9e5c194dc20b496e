#include "storage/StorageHelpers.h"
#include "base/DateTime.h"
#include "platform/SmbPath.h"
#include "support/StorageTestUtil.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDateTime>

TEST(StorageHelpers, WindowsExtendedLengthRuleStartsAtTheLimit)
{
    const QString drive = QStringLiteral("C:\\");
    const QString unc = QStringLiteral("\\\\server\\share\\");
    const struct
    {
        QString path;
        bool isDirectory;
        QString expected;
    } cases[] = {
        {drive + QString(256, 'a'), false, drive + QString(256, 'a')},             // 259 units
        {drive + QString(257, 'a'), false, "\\\\?\\" + drive + QString(257, 'a')}, // 260 units
        {drive + QString(243, 'a'), true, drive + QString(243, 'a')},              // 246 units
        {drive + QString(244, 'a'), true, "\\\\?\\" + drive + QString(244, 'a')},  // 247 units
        {unc + QString(260, 'a'), false, "\\\\?\\UNC\\server\\share\\" + QString(260, 'a')},
        {QString(), false, QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowsExtendedLengthPath(c.path, c.isDirectory), c.expected) << c.path.size();
        // This system has no such limit: every path is used as it stands.
        EXPECT_EQ(ExtendedLengthPath(c.path, c.isDirectory), c.path);
    }
}

TEST(StorageHelpers, CombineJobPathStaysInsideTheJobsFolder)
{
    // Anything that would lead out of base/job gives no path at all.
    const struct
    {
        QString base, job, file, expected;
    } cases[] = {
        {"/mnt/backup", "Job", "a.kxj", "/mnt/backup/Job/a.kxj"},
        {"/mnt/backup/", "Job", "a.kxj", "/mnt/backup/Job/a.kxj"},
        {"//srv:4450/share", "Job", "f.obl", "//srv:4450/share/Job/f.obl"},
        {"/tmp", "Job", "back\\slash", "/tmp/Job/back\\slash"},
        {"/mnt/backup", "Job/", "a.kxj", ""},
        {"/tmp", "Job", "/abs/file", ""},
        {"/tmp", "/other", "file", ""},
        {"/tmp", "..", "file", ""},
        {"/tmp", ".", "file", ""},
        {"/tmp", "Job", "..", ""},
        {"/tmp", "Job", "", ""},
        {"", "Job", "f", ""},
        {"/tmp", "Job", "//srv/share/x", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CombineJobPath(c.base, c.job, c.file), c.expected)
            << c.base << " " << c.job << " " << c.file;
}

TEST(StorageHelpers, FormatFileTimeStampHasFixedWidths)
{
    const TDateTime value = DateTimeFromQDateTime(QDateTime(QDate(2024, 3, 9), QTime(7, 5, 2, 45)));
    EXPECT_EQ(FormatFileTimeStamp(value), QStringLiteral("2024-03-09 07:05:02:045"));
    const TDateTime evening = DateTimeFromQDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999)));
    EXPECT_EQ(FormatFileTimeStamp(evening), QStringLiteral("1999-12-31 23:59:59:999"));
}

TEST(StorageHelpers, FileSizeOrMinusOne)
{
    const QString folder = TestEnvironment::makeFolder("size");
    TestEnvironment::writeFile(folder + "/five", "12345");
    TestEnvironment::writeFile(folder + "/empty", "");
    EXPECT_EQ(FileSizeOrMinusOne(folder + "/five"), 5);
    EXPECT_EQ(FileSizeOrMinusOne(folder + "/empty"), 0);
    EXPECT_EQ(FileSizeOrMinusOne(folder + "/missing"), -1);
    EXPECT_EQ(FileSizeOrMinusOne(folder + "/five/below-a-file"), -1);
    EXPECT_EQ(FileSizeOrMinusOne(QString()), -1);
}

TEST(StorageHelpers, CopyProgressRoundsHalvesToEven)
{
    const struct
    {
        qint64 transferred, total;
        qint32 percent;
    } cases[] = {
        {0, 0, 0},
        {10, 0, 0},
        {0, 100, 0},
        {1, 200, 0},
        {3, 200, 2},
        {5, 200, 2},
        {7, 200, 4},
        {1, 3, 33},
        {2, 3, 67},
        {199, 200, 100},
        {200, 200, 100},
        {300, 200, 100},
        {qint64(1) << 40, qint64(1) << 41, 50},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CopyProgressPercent(c.transferred, c.total), c.percent) << c.transferred << "/" << c.total;
}

TEST(StorageHelpers, InternalFilesByExactExtension)
{
    EXPECT_TRUE(IsInternalFile("/x/a.kxj"));
    EXPECT_TRUE(IsInternalFile("/x/_rf.obl"));
    EXPECT_FALSE(IsInternalFile("/x/a.KXJ"));
    EXPECT_FALSE(IsInternalFile("/x/a.obl.txt"));
    EXPECT_FALSE(IsInternalFile("/x/kxj"));
}

TEST(SmbPath, NetworkFormsAreNormalised)
{
    const struct
    {
        QString input, normal, url;
    } cases[] = {
        {"//server/share/dir", "//server/share/dir", "smb://server/share/dir"},
        {"\\\\server\\share\\dir\\sub", "//server/share/dir/sub", "smb://server/share/dir/sub"},
        {"smb://10.0.0.5:4450/share/a b", "//10.0.0.5:4450/share/a b", "smb://10.0.0.5:4450/share/a b"},
        {"SMB://host/share/", "//host/share/", "smb://host/share"},
        {"//h/s/100%?#x", "//h/s/100%?#x", "smb://h/s/100%25%3F%23x"},
        {"//h/s/\u00e9", "//h/s/\u00e9", "smb://h/s/%C3%A9"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(IsSmbPath(c.input));
        EXPECT_EQ(NormaliseSmbPath(c.input), c.normal);
        EXPECT_EQ(QString::fromUtf8(ParseSmbPath(c.input).toUrl()), c.url);
    }
    EXPECT_FALSE(IsSmbPath("/mnt/share"));
    EXPECT_EQ(NormaliseSmbPath("/mnt/share"), QStringLiteral("/mnt/share"));
    EXPECT_FALSE(ParseSmbPath("//server").isValid());
    EXPECT_FALSE(ParseSmbPath("//server:99999/share").isValid());
    EXPECT_EQ(ParseSmbPath("//A:1/Share/x").shareKey(), ParseSmbPath("smb://a:1/share/y").shareKey());
    EXPECT_NE(ParseSmbPath("//a/one").shareKey(), ParseSmbPath("//a/two").shareKey());
}
