#include "engine/ChecksumFile.h"
#include "engine/CatalogFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TChecksumDigest digestOf(const QByteArray& bytes)
{
    TContentChecksum checksum;
    checksum.update(bytes.constData(), size_t(bytes.size()));
    return checksum.digest();
}

} // namespace

TEST(ChecksumFile, WrittenAndReadBackWithNamesOfEveryKind)
{
    TChecksumTable table;
    table.entries.insert("notes.md", {5, digestOf("hello")});
    table.entries.insert("Docs/Zdjęcia/łąka.jpg", {0, digestOf("")});
    table.entries.insert("Docs/a\tname with a tab", {123456789012, digestOf("x")});
    const QByteArray content = EncodeChecksums(table);
    EXPECT_TRUE(content.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(content.endsWith("\r\n"));
    EXPECT_FALSE(content.contains("\n\n"));

    const QString path = TestEnvironment::makeFolder("checksums") + '/' + kChecksumFileName;
    TestEnvironment::writeFile(path, content);
    TChecksumTable read;
    ASSERT_EQ(ReadChecksumFile(path, read), TChecksumFileState::Read);
    EXPECT_EQ(read.entries, table.entries);
    EXPECT_EQ(read.malformedLines, 0);
    ASSERT_NE(read.find("notes.md"), nullptr);
    EXPECT_EQ(read.find("notes.md")->size, 5);
    EXPECT_EQ(read.find("missing"), nullptr);
}

TEST(ChecksumFile, MissingUnknownAndDamagedFiles)
{
    const QString folder = TestEnvironment::makeFolder("checksums-bad");
    TChecksumTable read;
    EXPECT_EQ(ReadChecksumFile(folder + "/none.obl", read), TChecksumFileState::Missing);

    TestEnvironment::writeFile(folder + "/other.obl", "\xEF\xBB\xBFsome other kind\r\n1\t00\tx\r\n");
    EXPECT_EQ(ReadChecksumFile(folder + "/other.obl", read), TChecksumFileState::Unreadable);
    EXPECT_TRUE(read.entries.isEmpty());

    // Damaged lines are skipped, counted, and the good ones kept.
    QByteArray content = EncodeChecksumsHeader();
    AppendChecksumEntry(content, u"good", 3, digestOf("abc"));
    const QString hex = TContentChecksum::toHex(digestOf("abc"));
    for (const QString& bad :
         {QString("3\t") + hex, QString("-1\t") + hex + "\tneg", QString("x\t") + hex + "\tx",
          QString("3\t") + hex.left(31) + "\tshort", QString("3\t") + hex + '\t', QString("no tabs at all")})
        AppendCatalogEntry(content, bad);
    TestEnvironment::writeFile(folder + "/damaged.obl", content);
    ASSERT_EQ(ReadChecksumFile(folder + "/damaged.obl", read), TChecksumFileState::Read);
    EXPECT_EQ(read.entries.size(), 1);
    EXPECT_NE(read.find("good"), nullptr);
    EXPECT_EQ(read.malformedLines, 6);
}

TEST(ChecksumFile, ReadAsAStreamWhateverTheChunkSize)
{
    // Every line end the catalogs accept, a damaged line, an empty one and a name starting with U+FEFF;
    // small chunks split the lines, the mark and the CR LF pairs in every place.
    const QString hex = TContentChecksum::toHex(digestOf("abc"));
    QByteArray content = EncodeChecksumsHeader();
    content += "3\t" + hex.toLatin1() + "\ta\n";
    content += "3\t" + hex.toLatin1() + "\tb\r";
    content += "damaged\r\n\r\n";
    content += "0\t" + hex.toLatin1() + "\t\xEF\xBB\xBFmarked\r\n";
    content += "7\t" + hex.toLatin1() + "\tlast without an end";
    const QString path = TestEnvironment::makeFolder("checksums-stream") + "/stream.obl";
    TestEnvironment::writeFile(path, content);
    TChecksumTable whole;
    ASSERT_TRUE(DecodeChecksums(content, whole));
    ASSERT_EQ(whole.entries.size(), 4);

    for (const qsizetype chunk : {3, 4, 5, 7, 16, 1 << 20}) {
        SCOPED_TRACE(chunk);
        TChecksumFileReader reader(path, chunk);
        ASSERT_EQ(reader.state(), TChecksumFileState::Read);
        TChecksumTable streamed;
        QString name;
        TChecksumEntry entry;
        while (reader.next(name, entry))
            streamed.entries.insert(name, entry);
        EXPECT_EQ(streamed.entries, whole.entries);
        EXPECT_EQ(reader.malformedLines(), whole.malformedLines);
    }
    EXPECT_EQ(TChecksumFileReader(path + ".none").state(), TChecksumFileState::Missing);
}

TEST(ChecksumFile, TheWriterGivesTheBytesOfTheEncoder)
{
    TChecksumTable table;
    for (int i = 0; i < 30000; ++i) // more than one buffer
        table.entries.insert(QStringLiteral("folder %1/file %2.txt").arg(i / 100).arg(i),
                             {i, digestOf(QByteArray::number(i))});
    QStringList paths = table.entries.keys();
    paths.sort();
    const QString path = TestEnvironment::makeFolder("checksums-writer") + '/' + kChecksumFileName;
    TChecksumFileWriter writer(path);
    for (const QString& p : std::as_const(paths))
        writer.append(p, table.find(p)->size, table.find(p)->digest);
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(TestEnvironment::readFile(path), EncodeChecksums(table));
}
