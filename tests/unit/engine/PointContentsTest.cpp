// The tree of a restore point folded from its catalogs, and the test a restore limited to chosen items
// applies to each catalog entry.
#include "engine/PointContents.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Every path the tree holds, depth first in its order; folders end in "/".
QStringList listed(const TPointContents& contents, TPointContents::TId id = TPointContents::kTop)
{
    QStringList paths;
    for (TPointContents::TId child : contents.children(id)) {
        paths.append(contents.path(child) + (contents.isFolder(child) ? "/" : ""));
        paths += listed(contents, child);
    }
    return paths;
}

TEST(PointContentsTest, CatalogsAreFoldedInTheOrderARestoreAppliesThem)
{
    TPointContents contents;
    contents.storageFolders = {"full", "inc 1", "inc 2"};
    contents.apply(0, {"A/x.txt", "A/B/y.txt", "./A//z.txt", "flip", "../outside", "B/b10", "B/b9"},
                   {"A", "A/B", "Empty"}, {}, {});
    // Point 1: a file gone, a folder gone with what it held, a file turned into a folder.
    contents.apply(1, {"flip/inside.txt", "A/x.txt"}, {"flip"}, {"A/z.txt", "flip"}, {"A/B"});
    // Point 2: the folder back with one file; a removal of something never there changes nothing.
    contents.apply(2, {"A/B/new.txt"}, {"A/B"}, {"nothing/here"}, {"Empty/none"});
    contents.finish();

    EXPECT_EQ(listed(contents), QStringList({"A/", "A/B/", "A/B/new.txt", "A/x.txt", "B/", "B/b9", "B/b10",
                                             "Empty/", "flip/", "flip/inside.txt"}));
    EXPECT_EQ(contents.fileCount(), 5);
    EXPECT_EQ(contents.folderCount(), 5);
    EXPECT_EQ(contents.find("A/B/y.txt"), TPointContents::kNone); // gone with its folder
    EXPECT_EQ(contents.find("A/z.txt"), TPointContents::kNone);
    EXPECT_EQ(contents.storageFolderOf(contents.find("A/x.txt")), "inc 1");
    EXPECT_EQ(contents.storageFolderOf(contents.find("A/B/new.txt")), "inc 2");
    EXPECT_EQ(contents.storageFolderOf(contents.find("B/b9")), "full");
    const TPointContents::TId b = contents.find("A/B");
    EXPECT_EQ(contents.row(b), 0);
    EXPECT_EQ(contents.parent(b), contents.find("A"));
}

TEST(PointContentsTest, SelectionCoversChosenItemsAndLeadsToThem)
{
    const TRestoreSelection selection({"A/B", "C/file.txt", "./D//"});
    const struct
    {
        QString entry;
        bool covers;
        bool leadsTo;
    } cases[] = {
        {"A/B", true, false}, {"A/B/deep/x", true, false}, {"A/Bx", false, false},    {"A", false, true},
        {"C", false, true},   {"C/file.txt", true, false}, {"C/other", false, false}, {"D/x", true, false},
        {"", false, true},    {"Z", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(selection.covers(c.entry), c.covers) << c.entry.toStdString();
        EXPECT_EQ(selection.leadsTo(c.entry), c.leadsTo) << c.entry.toStdString();
    }
    EXPECT_EQ(selection.items(), QStringList({"A/B", "C/file.txt", "D"}));
    EXPECT_TRUE(TRestoreSelection(QStringList()).isEverything());
    EXPECT_TRUE(TRestoreSelection({"A", ""}).isEverything()); // the top stands for everything
    EXPECT_TRUE(TRestoreSelection({"A"}).covers("A/anything"));
}

} // namespace
