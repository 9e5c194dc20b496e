// The files list of a run: read back entry by entry while it grows and shrinks, and handed over in the
// remote job file's layout.
#include "engine/RecordedFileList.h"

#include <gtest/gtest.h>
#include <QtEndian>

namespace {
TEST(RecordedFileListTest, KeepsEntriesAndHandsThemOverInTheFileLayout)
{
    TRecordedFileList list;
    list.reset(QByteArray("PRE!", 4));
    const QStringList paths{"Fotos/Straße/Ölbild.jpg", "", "a", "Docs/😀.txt"};
    for (const QString& path : paths)
        list.append(path);
    list.append(u"unreadable.txt");
    list.removeLast(); // a file that could not be read is taken out again
    ASSERT_EQ(list.size(), paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i)
        EXPECT_EQ(list.at(i), paths.at(i)) << i;
    EXPECT_EQ(list.toStringList(), paths);
    EXPECT_EQ(list.prefix(), QByteArrayView("PRE!"));

    QByteArray expected("PRE!");
    auto int32 = [&expected](qint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        expected.append(bytes, 4);
    };
    int32(qint32(paths.size()));
    for (const QString& path : paths) {
        int32(qint32(path.size()));
        for (const QChar unit : path) {
            char bytes[2];
            qToLittleEndian(unit.unicode(), bytes);
            expected.append(bytes, 2);
        }
    }
    EXPECT_EQ(list.takeFileBytes(), expected);
    EXPECT_TRUE(list.isEmpty());
    // An empty list is its count alone.
    EXPECT_EQ(list.takeFileBytes(), QByteArray(4, '\0'));
}
} // namespace
