#include "platform/FileSystemLocal.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <cerrno>
#include <gtest/gtest.h>

namespace {

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
}

} // namespace

// Files removed or replaced are freed on a closing thread of their own. Once finishDeferred returns
// the process holds nothing of them: a descriptor left over would keep the storage's volume busy.
TEST(LocalFileSystem, RemovedAndReplacedFilesAreLetGoByFinishDeferred)
{
    const QString folder = TestEnvironment::makeFolder("release");
    TLocalFileSystem& fileSystem = TLocalFileSystem::instance();
    fileSystem.finishDeferred();
    const qsizetype before = openDescriptors();
    const int files = 150; // more than the closing thread keeps waiting at once
    QStringList kept;
    for (int i = 0; i < files; ++i) {
        const QString stored = folder + QStringLiteral("/stored%1").arg(i, 3, 10, QChar('0'));
        TestEnvironment::writeFile(stored, "old");
        TestEnvironment::writeFile(stored + ".new", "new " + QByteArray::number(i));
        ASSERT_EQ(fileSystem.rename(stored + ".new", stored, true), 0);
        TestEnvironment::writeFile(folder + "/removed", "x");
        ASSERT_EQ(fileSystem.removeFile(folder + "/removed"), 0);
        kept.append(stored.mid(folder.size() + 1));
    }
    EXPECT_EQ(fileSystem.removeFile(folder + "/missing"), ENOENT);
    QDir().mkpath(folder + "/a-folder");
    TestEnvironment::writeFile(folder + "/a-file", "f");
    EXPECT_EQ(fileSystem.rename(folder + "/a-file", folder + "/a-folder", true), EISDIR);
    kept.append({"a-file", "a-folder"});
    kept.sort();

    fileSystem.finishDeferred();
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              kept);
    EXPECT_EQ(TestEnvironment::readFile(folder + "/stored007"), QByteArray("new 7"));
}

// A run records its copies only after the volume's writes are flushed; a watch that could not even
// begin must stop that as well, not pass as flushed.
TEST(LocalFileSystem, WatchedWritesFlushOrReportWhyNot)
{
    const QString folder = TestEnvironment::makeFolder("watched");
    TLocalFileSystem& fileSystem = TLocalFileSystem::instance();
    const auto watch = fileSystem.watchWrites(folder);
    ASSERT_TRUE(watch);
    TestEnvironment::writeFile(folder + "/copy", QByteArray(1 << 20, 'c'));
    EXPECT_EQ(watch->flush(), 0);
    const auto missing = fileSystem.watchWrites(folder + "/not-there");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->flush(), ENOENT);
}
