// Packed file stamps: the same text as the stamp pattern, and only canonical texts read back.
#include "engine/FileStamp.h"

#include <gtest/gtest.h>
#include <QDateTime>

namespace {
TEST(FileStampTest, FormatsLocalTimeWithMilliseconds)
{
    const QDateTime when(QDate(2024, 3, 9), QTime(7, 5, 2, 45));
    const TFileStamp stamp = StampFromMsecsSinceEpoch(when.toMSecsSinceEpoch());
    EXPECT_EQ(FormatStamp(stamp), "2024-03-09 07:05:02:045");
    EXPECT_EQ(ParseStamp(u"2024-03-09 07:05:02:045"), stamp);
    const QDateTime before1970(QDate(1969, 12, 31), QTime(23, 59, 59, 999));
    EXPECT_EQ(FormatStamp(StampFromMsecsSinceEpoch(before1970.toMSecsSinceEpoch())),
              "1969-12-31 23:59:59:999");
}

TEST(FileStampTest, OnlyCanonicalTextsParse)
{
    for (const char* text :
         {"", "2024-03-09 07:05:02", "2024-03-09 07:05:02.045", "2024-03-09T07:05:02:045",
          "2024-03-09 07:05:02:04x", " 2024-03-09 07:05:02:045", "2024-3-09 07:05:02:0450"})
        EXPECT_EQ(ParseStamp(QString::fromLatin1(text)), kNoStamp) << text;
    const QStringList texts{"2000-01-01 00:00:00:000", "bogus", "9999-12-31 23:59:59:999"};
    const TStampList stamps = ParseStamps(texts);
    EXPECT_EQ(stamps[1], kNoStamp);
    EXPECT_EQ(FormatStamps(stamps), QStringList({texts[0], "", texts[2]}));
}
} // namespace
