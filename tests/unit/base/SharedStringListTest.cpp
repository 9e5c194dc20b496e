// The shared string list behind the run log, the history and the log list: every line reads back as
// it was written, through appends to the last line and removals at the front, and a reader on another
// thread sees whole lines while the writer goes on.
#include "base/SharedStringList.h"

#include <gtest/gtest.h>
#include <QBuffer>

#include <atomic>
#include <thread>

namespace {
TEST(SharedStringListTest, LinesReadBackAsWritten)
{
    TSharedStringList list;
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.last(), QString());
    list.appendToLast("first"); // on an empty list: a new line
    list.append({"", "Grüße 😀", "two\r\nlines"});
    list.appendToLast(" more");
    list.append("last");
    const QStringList expected{"first", "", "Grüße 😀", "two\r\nlines more", "last"};
    EXPECT_EQ(list.snapshot(), expected);
    ASSERT_EQ(list.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(list.at(i), expected.at(i)) << i;
    EXPECT_EQ(list.at(-1), QString());
    EXPECT_EQ(list.at(expected.size()), QString());
    EXPECT_EQ(list.last(), "last");
    EXPECT_EQ(list.mid(3), expected.mid(3));
    EXPECT_EQ(list.mid(99), QStringList());
    list.append("");
    EXPECT_EQ(list.lastIndexOf(""), expected.size());
    EXPECT_EQ(list.lastIndexOf("Grüße 😀"), 2);
    EXPECT_EQ(list.lastIndexOf("Grüße"), -1);
    list.removeFirst(0);
    EXPECT_EQ(list.size(), expected.size() + 1);
    list.assign(expected);

    QBuffer file;
    file.open(QIODevice::WriteOnly);
    ASSERT_TRUE(list.writeUtf8(file, "\r\n"));
    EXPECT_EQ(file.data(), QByteArray("first\r\n\r\nGr\xC3\xBC\xC3\x9F"
                                      "e \xF0\x9F\x98\x80\r\ntwo\r\nlines more\r\nlast\r\n"));

    list.removeFirst(2);
    EXPECT_EQ(list.snapshot(), expected.mid(2));
    list.append("after");
    list.appendToLast("!");
    EXPECT_EQ(list.at(0), "Grüße 😀");
    EXPECT_EQ(list.last(), "after!");
    list.removeFirst(100);
    EXPECT_TRUE(list.isEmpty());

    list.assign({"x", "y"});
    EXPECT_EQ(list.snapshot(), QStringList({"x", "y"}));
    list.clear();
    EXPECT_EQ(list.snapshot(), QStringList());
}

TEST(SharedStringListTest, AReaderSeesWholeLinesWhileTheWriterAppends)
{
    TSharedStringList list;
    constexpr int kLines = 20000;
    auto lineText = [](int i) { return QStringLiteral("%1: Copying the file: /data/ä/%1.dat").arg(i); };
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < kLines; ++i)
            list.append(lineText(i));
        done = true;
    });
    qsizetype read = 0;
    bool allWhole = true;
    while (!done || read < list.size()) {
        for (const qsizetype size = list.size(); read < size; ++read)
            allWhole = allWhole && list.at(read) == lineText(int(read));
    }
    writer.join();
    EXPECT_TRUE(allWhole);
    EXPECT_EQ(read, kLines);
}
} // namespace
