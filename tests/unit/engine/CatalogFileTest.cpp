// Catalog and start-flag files byte for byte, and reading them back.
#include "engine/CatalogFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace TestEnvironment;

namespace {
const QByteArray kMark("\xEF\xBB\xBF");

TEST(CatalogFileTest, WritesMarkAndCrLfForEveryLine)
{
    const struct
    {
        QStringList entries;
        QByteArray bytes;
    } cases[] = {
        {{}, kMark},
        {{"2024-06-30 21;05;00 (Full)"}, kMark + "2024-06-30 21;05;00 (Full)\r\n"},
        {{"", "Docs", "Docs/a.txt"}, kMark + "\r\nDocs\r\nDocs/a.txt\r\n"}, // a drive root: empty name
        {{QString::fromUtf8("Fotos/Straße/Ölbild.jpg")},
         kMark + "Fotos/Stra\xC3\x9F"
                 "e/\xC3\x96lbild.jpg\r\n"},
        // A name may begin with U+FEFF: only the file's own mark is skipped on reading.
        {{QChar(0xFEFF) + QString("x.txt"), QChar(0xFEFF) + QString("y")},
         kMark + kMark + "x.txt\r\n" + kMark + "y\r\n"},
    };
    const QString folder = makeFolder("catalogs");
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeCatalog(c.entries), c.bytes);
        const QString path = folder + "/_rf.obl";
        ASSERT_TRUE(WriteCatalogFile(path, c.entries));
        EXPECT_EQ(readFile(path), c.bytes);
        QStringList back{"stale"};
        ASSERT_TRUE(ReadCatalogFile(path, back));
        EXPECT_EQ(back, c.entries);
    }
    EXPECT_EQ(EncodeCatalog({}).size(), 3);
}

TEST(CatalogFileTest, ReadsAnyLineEndWithOrWithoutMark)
{
    const struct
    {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"", {}},
        {kMark, {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {kMark + "a\nb\rc", {"a", "b", "c"}},
        {"a\r\n\r\nb\n", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\n\rb", {"a", "", "b"}}, // LF then CR: two line ends
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeCatalog(c.bytes), c.entries) << c.bytes.toHex().toStdString();
    QStringList entries;
    EXPECT_FALSE(ReadCatalogFile(makeFolder("none") + "/missing.obl", entries));
}
} // namespace
