// What a source listing reports for every kind of entry a Linux folder can hold.
#include "platform/DirectoryListing.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QFile>

#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace TestEnvironment;

namespace {
TEST(DirectoryListingTest, ReportsKindsSizesAndTimesWithoutFollowingFolderLinks)
{
    const QString folder = makeFolder("listing");
    writeFile(folder + "/file.txt", "hello");
    writeFile(folder + "/.hidden", "");
    writeFile(folder + "/sub/inner.txt", "x");
    ASSERT_TRUE(QFile::link(folder + "/file.txt", folder + "/link-to-file"));
    ASSERT_TRUE(QFile::link(folder + "/sub", folder + "/link-to-folder"));
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/dangling"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + "/fifo").constData(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(folder + "/sock");
    ASSERT_LT(socketPath.size(), qsizetype(sizeof(address.sun_path)));
    memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const QDateTime mtime(QDate(2023, 5, 6), QTime(7, 8, 9, 123));
    QFile file(folder + "/file.txt");
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(mtime, QFileDevice::FileModificationTime));
    file.close();

    std::map<QString, TDirectoryEntry> seen;
    TDirectoryListing listing;
    ASSERT_TRUE(listing.open(folder));
    TDirectoryEntry entry;
    while (listing.next(entry))
        seen[entry.name] = entry;
    listing.close();
    ::close(sock);

    EXPECT_EQ(seen.size(), 8u);
    const std::map<QString, TDirectoryEntry::TKind> kinds{{"file.txt", TDirectoryEntry::ekFile},
                                                          {".hidden", TDirectoryEntry::ekFile},
                                                          {"sub", TDirectoryEntry::ekFolder},
                                                          {"link-to-file", TDirectoryEntry::ekFile},
                                                          {"link-to-folder", TDirectoryEntry::ekLinkToFolder},
                                                          {"dangling", TDirectoryEntry::ekOther},
                                                          {"fifo", TDirectoryEntry::ekOther},
                                                          {"sock", TDirectoryEntry::ekOther}};
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(seen[name].kind, kind) << name.toStdString();
    EXPECT_EQ(seen["file.txt"].size, 5);
    EXPECT_EQ(seen["file.txt"].mtimeMsecs, mtime.toMSecsSinceEpoch());
    EXPECT_EQ(seen["link-to-file"].mtimeMsecs, mtime.toMSecsSinceEpoch()); // the target's time

    EXPECT_FALSE(listing.open(folder + "/missing"));
    EXPECT_FALSE(listing.open(folder + "/file.txt"));
    EXPECT_TRUE(SourceFolderExists(folder + "/sub"));
    EXPECT_FALSE(SourceFolderExists(folder + "/file.txt"));
    EXPECT_TRUE(SourceFileExists(folder + "/link-to-file"));
    EXPECT_FALSE(SourceFileExists(folder + "/fifo"));
    EXPECT_TRUE(StatSourcePath(folder + "/file.txt", entry));
    EXPECT_EQ(entry.name, "file.txt");
    EXPECT_EQ(entry.kind, TDirectoryEntry::ekFile);
}
} // namespace
