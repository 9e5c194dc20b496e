// What a source listing reports for every kind of entry a Linux folder can hold.
#include "platform/DirectoryListing.h"
#include "support/TestEnvironment.h"
#include "support/WithoutPrivileges.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QFile>

#include <cerrno>
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
                                                          {"dangling", TDirectoryEntry::ekUnreadable},
                                                          {"fifo", TDirectoryEntry::ekOther},
                                                          {"sock", TDirectoryEntry::ekOther}};
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(seen[name].kind, kind) << name.toStdString();
    EXPECT_EQ(seen["file.txt"].size, 5);
    EXPECT_EQ(seen["file.txt"].mtimeMsecs, mtime.toMSecsSinceEpoch());
    EXPECT_EQ(seen["link-to-file"].mtimeMsecs, mtime.toMSecsSinceEpoch()); // the target's time
    EXPECT_EQ(seen["dangling"].error, ENOENT); // its target may be on a drive that is not there now
    EXPECT_EQ(seen["file.txt"].error, 0);
    EXPECT_EQ(listing.error(), 0) << "listed to the end";

    EXPECT_FALSE(listing.open(folder + "/missing"));
    EXPECT_EQ(listing.error(), ENOENT);
    EXPECT_FALSE(listing.open(folder + "/file.txt"));
    EXPECT_EQ(listing.error(), ENOTDIR);
    EXPECT_TRUE(SourceFolderExists(folder + "/sub"));
    EXPECT_FALSE(SourceFolderExists(folder + "/file.txt"));
    EXPECT_TRUE(SourceFileExists(folder + "/link-to-file"));
    EXPECT_FALSE(SourceFileExists(folder + "/fifo"));
    EXPECT_TRUE(StatSourcePath(folder + "/file.txt", entry));
    EXPECT_EQ(entry.name, "file.txt");
    EXPECT_EQ(entry.kind, TDirectoryEntry::ekFile);
}

// A folder that can be read but not searched (mode 644) lists its names, but none of its entries can
// be looked at; one that can be searched but not read cannot be listed at all. Root looks at
// everything: the listing runs without privileges.
TEST(DirectoryListingTest, EntriesOfAFolderThatCannotBeSearchedAreUnreadable)
{
    const QString folder = makeFolder("unsearchable");
    writeFile(folder + "/shut/file.txt", "x");
    writeFile(folder + "/shut/sub/inner.txt", "y");
    writeFile(folder + "/unlisted/file.txt", "z");
    ASSERT_TRUE(QFile::link(folder + "/shut/file.txt", folder + "/link-into-shut"));
    ASSERT_EQ(::chmod(QFile::encodeName(folder + "/shut").constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder + "/unlisted").constData(), 0311), 0);
    std::map<QString, TDirectoryEntry> inShut, inFolder;
    TDirectoryListing listing;
    bool listedShut = false, listedUnlisted = true;
    int unlistedError = 0;
    {
        TWithoutPrivileges ordinaryUser;
        TDirectoryEntry entry;
        listedShut = listing.open(folder + "/shut");
        while (listing.next(entry))
            inShut[entry.name] = entry;
        EXPECT_EQ(listing.error(), 0);
        EXPECT_TRUE(listing.open(folder));
        while (listing.next(entry))
            inFolder[entry.name] = entry;
        listedUnlisted = listing.open(folder + "/unlisted");
        unlistedError = listing.error();
    }
    ::chmod(QFile::encodeName(folder + "/shut").constData(), 0755);
    ::chmod(QFile::encodeName(folder + "/unlisted").constData(), 0755);

    EXPECT_TRUE(listedShut);
    EXPECT_EQ(inShut.size(), 2u);
    for (const auto& [name, found] : inShut) {
        EXPECT_EQ(found.kind, TDirectoryEntry::ekUnreadable) << name.toStdString();
        EXPECT_EQ(found.error, EACCES) << name.toStdString();
        EXPECT_EQ(found.wasListedAsFolder, name == "sub") << name.toStdString();
    }
    EXPECT_EQ(inFolder["link-into-shut"].kind, TDirectoryEntry::ekUnreadable);
    EXPECT_EQ(inFolder["link-into-shut"].error, EACCES);
    EXPECT_EQ(inFolder["shut"].kind, TDirectoryEntry::ekFolder);
    EXPECT_FALSE(listedUnlisted);
    EXPECT_EQ(unlistedError, EACCES);
}
} // namespace
