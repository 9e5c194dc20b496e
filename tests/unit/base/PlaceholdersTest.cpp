// Byte sizes and filled-in placeholders, as the closing messages of a run show them.
#include "base/Placeholders.h"
#include "base/ByteSize.h"

#include <gtest/gtest.h>

#include <limits>

namespace {
TEST(PlaceholdersTest, ByteSizesUseTheLargestUnitFromKilobytesOn)
{
    const struct
    {
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, "0 KB"},
        {500, "0.49 KB"},
        {1024, "1 KB"},
        {1536, "1.5 KB"},
        {1024 * 1024, "1024 KB"},
        {1024 * 1024 + 1, "1 MB"},
        {qint64(5) * 1024 * 1024 * 1024 + qint64(300) * 1024 * 1024, "5.29 GB"},
        {qint64(1) << 50, "1024 TB"},
        {std::numeric_limits<qint64>::max(), "8 EB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatByteSize(c.bytes).toStdString(), c.text) << c.bytes;
}

TEST(PlaceholdersTest, PlaceholdersAreFilledInTurnAndNeverFromTheValues)
{
    EXPECT_EQ(FillPlaceholders("Backup job \"%s\" is finished. Files copied: %s.", {"%s job", "3"}),
              "Backup job \"%s job\" is finished. Files copied: 3.");
    EXPECT_EQ(FillPlaceholders("no placeholder", {"x"}), "no placeholder");
    EXPECT_EQ(FillPlaceholders("%s and %s", {"one"}), "one and %s");
}
} // namespace
