#include "engine/MirrorChecksums.h"
#include "engine/CatalogFile.h"
#include "engine/ChecksumFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TChecksumDigest digestOf(const QByteArray& bytes)
{
    TContentChecksum checksum;
    checksum.update(bytes.constData(), size_t(bytes.size()));
    return checksum.digest();
}

TChecksumEntry entryOf(const char* content)
{
    return {qint64(qstrlen(content)), digestOf(content)};
}

struct TMirrorCase
{
    bool complete;
    bool earlierInPathOrder; // false: the earlier file lists its entries in another order
};

class MirrorChecksumsTest : public testing::TestWithParam<TMirrorCase>
{
};

} // namespace

TEST_P(MirrorChecksumsTest, EarlierEntriesMergedWithTheRunsCopies)
{
    // The earlier file: "kept" and "gone" unchanged since, "replaced" and "lost" copied again by this
    // run, "twice" listed twice (its last line counts), "b/kept" in a folder.
    const QString folder = TestEnvironment::makeFolder("mirror-checksums");
    QList<std::pair<QString, TChecksumEntry>> earlierLines = {
        {"b/kept", entryOf("bk")}, {"gone", entryOf("g")},      {"kept", entryOf("k")},
        {"lost", entryOf("l")},    {"replaced", entryOf("r0")}, {"twice", entryOf("t0")},
        {"twice", entryOf("t1")}};
    if (!GetParam().earlierInPathOrder)
        std::reverse(earlierLines.begin(), earlierLines.end() - 2); // keeps the two "twice" in order
    QByteArray earlier = EncodeChecksumsHeader();
    for (const auto& [path, entry] : std::as_const(earlierLines))
        AppendChecksumEntry(earlier, path, entry.size, entry.digest);
    AppendCatalogEntry(earlier, u"damaged line");
    TestEnvironment::writeFile(folder + "/earlier.obl", earlier);

    // This run holds everything but "gone"; it copied "replaced", "new" (twice: the last copy counts)
    // and "lost", whose copy got no checksum.
    TBackupRunState state;
    state.LocalFilesList.reset();
    for (const char* path : {"twice", "replaced", "new", "kept", "lost", "b/kept", "a/new"})
        state.LocalFilesList.append(QString::fromUtf8(path));
    const auto copied = [&state](qint32 index, std::optional<TChecksumEntry> entry) {
        state.CopiedFilesList.push_back(index);
        state.CopiedChecksums.push_back(entry ? TJob::TCopyChecksum{entry->size, entry->digest}
                                              : TJob::TCopyChecksum{-1, {}});
    };
    copied(2, entryOf("n0"));
    copied(1, entryOf("r1"));
    copied(4, std::nullopt);
    copied(2, entryOf("n1"));
    copied(6, entryOf("an"));

    const QString output = folder + "/out.obl";
    ASSERT_TRUE(WriteMirrorChecksums(folder + "/earlier.obl", output, state, GetParam().complete));

    TChecksumTable expected;
    expected.entries = {{"a/new", entryOf("an")}, {"b/kept", entryOf("bk")},   {"kept", entryOf("k")},
                        {"new", entryOf("n1")},   {"replaced", entryOf("r1")}, {"twice", entryOf("t1")}};
    if (!GetParam().complete)
        expected.entries.insert("gone", entryOf("g")); // a cancelled run's removals are not final
    EXPECT_EQ(TestEnvironment::readFile(output), EncodeChecksums(expected));

    // No earlier file (a mirror made before checksums were kept): the run's copies alone.
    ASSERT_TRUE(WriteMirrorChecksums(folder + "/none.obl", output, state, GetParam().complete));
    TChecksumTable read;
    ASSERT_EQ(ReadChecksumFile(output, read), TChecksumFileState::Read);
    EXPECT_EQ(read.entries.keys().size(), 3);
    EXPECT_EQ(read.entries.value("new"), entryOf("n1"));
}

INSTANTIATE_TEST_SUITE_P(Cases, MirrorChecksumsTest,
                         testing::Values(TMirrorCase{true, true}, TMirrorCase{false, true},
                                         TMirrorCase{true, false}, TMirrorCase{false, false}),
                         [](const testing::TestParamInfo<TMirrorCase>& info) {
                             return std::string(info.param.complete ? "Complete" : "Cancelled") +
                                    (info.param.earlierInPathOrder ? "InPathOrder" : "InAnotherOrder");
                         });
