#include "update/VersionPage.h"

#include <gtest/gtest.h>

namespace {

struct PageCase
{
    const char* page;
    bool offered;
    bool mustUpdate;
    const char* displayed;
};

class VersionPageCases : public testing::TestWithParam<PageCase>
{
};

TEST_P(VersionPageCases, OffersWhatTheFirstLineSays)
{
    const PageCase& c = GetParam();
    const std::optional<TVersionPage> version = ParseVersionPage(c.page);
    if (!c.displayed) {
        EXPECT_FALSE(version.has_value());
        return;
    }
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->DisplayedVersion, QString::fromLatin1(c.displayed));
    const TNewVersion result = EvaluateNewVersion(*version, {"A change"}, 10);
    EXPECT_EQ(result.Offered, c.offered);
    EXPECT_EQ(result.MustUpdate, c.mustUpdate);
    if (c.offered) {
        EXPECT_TRUE(result.Text.contains(QString::fromLatin1(c.displayed))) << result.Text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, VersionPageCases,
                         testing::Values(PageCase{"11/10\nzorvanbackup.deb\n", true, false, "1.1"},
                                         PageCase{"12/11\nzorvanbackup.deb\n", true, true, "1.2"},
                                         PageCase{"10/10\nzorvanbackup.deb\n", false, false, "1.0"},
                                         PageCase{"9/5\nx\n", false, false, ".9"},
                                         PageCase{"105/10\r\nsetup\r\nignored\r\n", true, false, "10.5"},
                                         PageCase{"\xEF\xBB\xBF"
                                                  "11/10\nx",
                                                  true, false, "1.1"},
                                         PageCase{"10/11\nx\n", true, true, "1.0"},
                                         // Malformed: no update.
                                         PageCase{"11/10\n", false, false, nullptr},
                                         PageCase{"1110\nx\n", false, false, nullptr},
                                         PageCase{"11/ten\nx\n", false, false, nullptr},
                                         PageCase{"v11/10\nx\n", false, false, nullptr},
                                         PageCase{"", false, false, nullptr}));

TEST(VersionPageTest, TextsNameTheVersionAndListTheChangesWithoutEmptyLines)
{
    const QStringList changes = ParseChangesPage("First\n\n\r\nSecond\n\n");
    EXPECT_EQ(changes, QStringList({"First", "Second"}));

    const TNewVersion optional = EvaluateNewVersion(*ParseVersionPage("11/10\nsetup-1.1.deb\n"), changes, 10);
    EXPECT_EQ(optional.Text, "The new version 1.1 is available\n\nWhat's new:\nFirst\nSecond\n");
    EXPECT_EQ(optional.InstallerFileName, "setup-1.1.deb");

    const TNewVersion forced = EvaluateNewVersion(*ParseVersionPage("12/11\nx\n"), changes, 10);
    EXPECT_EQ(forced.Text,
              "This version of the software is out of date. You must download the current version "
              "1.2 to continue using the software.\n\nWhat's new:\nFirst\nSecond\n");
}

} // namespace
