// The indexed path list against a plain list that answers the same questions by scanning.
#include "engine/PathList.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>

namespace {
TEST(PathListTest, ComparesExactlyAndReturnsTheFirstMatch)
{
    TPathList list({"Docs", "Docs/a.txt", "Docs/A.txt", "Docs/a.txt"});
    EXPECT_EQ(list.indexOf(u"Docs/a.txt"), 1);
    EXPECT_EQ(list.indexOf(u"Docs/A.txt"), 2);
    EXPECT_EQ(list.indexOf(u"docs/a.txt"), -1);
    EXPECT_EQ(list.indexOf(u""), -1);
    list.append("");
    EXPECT_EQ(list.indexOf(u""), 4);
    list.removeLast();
    list.removeLast(); // the duplicate: the first "Docs/a.txt" stays found
    EXPECT_EQ(list.indexOf(u"Docs/a.txt"), 1);
    EXPECT_EQ(list.list(), QStringList({"Docs", "Docs/a.txt", "Docs/A.txt"}));
    list.removeLast();
    EXPECT_EQ(list.indexOf(u"Docs/A.txt"), -1);
    EXPECT_EQ(list.take().size(), 2);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.indexOf(u"Docs"), -1);
}

TEST(PathListTest, AgreesWithALinearScanUnderRandomAppendsAndRemovals)
{
    QRandomGenerator random(1234);
    TPathList list;
    QStringList reference;
    // A small pool of names makes duplicates and long probe chains common.
    for (int step = 0; step < 20000; ++step) {
        const QString path = QStringLiteral("d%1/f%2").arg(random.bounded(8)).arg(random.bounded(60));
        if (random.bounded(3) == 0 && !reference.isEmpty()) {
            list.removeLast();
            reference.removeLast();
        } else {
            list.append(path);
            reference.append(path);
        }
        const QString probe = QStringLiteral("d%1/f%2").arg(random.bounded(8)).arg(random.bounded(60));
        ASSERT_EQ(list.indexOf(probe), reference.indexOf(probe)) << step;
        const qsizetype any = random.bounded(int(reference.size() + 1)) - 1;
        if (any >= 0) {
            ASSERT_EQ(list.isFirstOccurrence(any), reference.indexOf(reference[any]) == any) << step;
        }
    }
    EXPECT_EQ(list.list(), reference);
}
} // namespace
