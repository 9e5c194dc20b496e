// Each backup run records, beside its catalogs, the size and checksum of every file it copied; the
// checksums are those of the stored copies, on a local disk and on a share.
#include "EngineTestSupport.h"

#include "engine/ChecksumFile.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QFile>

using namespace TestEnvironment;

namespace {

class ChecksumRecordTest : public EngineTest, public ::testing::WithParamInterface<Destination>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != Destination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
    }

    // The recorded entries of a backup folder, each checked against its stored copy.
    QStringList recordedAndMatching(const QString& folder)
    {
        TChecksumTable table;
        EXPECT_EQ(ReadChecksumFile(storedPath(folder + '/' + kChecksumFileName), table),
                  TChecksumFileState::Read);
        QStringList paths;
        for (auto it = table.entries.cbegin(); it != table.entries.cend(); ++it) {
            const QByteArray stored = readFile(storedPath(folder + '/' + it.key()));
            TContentChecksum checksum;
            checksum.update(stored.constData(), size_t(stored.size()));
            EXPECT_EQ(it->size, stored.size()) << it.key().toStdString();
            EXPECT_EQ(it->digest, checksum.digest()) << it.key().toStdString();
            paths.append(it.key());
        }
        paths.sort();
        return paths;
    }
};

} // namespace

TEST_P(ChecksumRecordTest, EveryCopiedFileOfEveryRunIsRecorded)
{
    writeSource("Docs/a.txt", "alpha");
    writeSource("Docs/empty.txt", "");
    writeSource("Docs/Zdjęcia/łąka.bin", QByteArray(3 * 1024 * 1024 + 17, 'z'));
    runBackup();
    const QString full = subfolder(5, "Full");
    EXPECT_EQ(recordedAndMatching(full),
              QStringList({"Docs/Zdjęcia/łąka.bin", "Docs/a.txt", "Docs/empty.txt"}));
    EXPECT_TRUE(readFile(storedPath(full + '/' + kChecksumFileName)).startsWith("\xEF\xBB\xBF"));

    runBackup(); // nothing changed: a file with no entries
    EXPECT_TRUE(recordedAndMatching(subfolder(6, "Incremental")).isEmpty());

    writeSource("Docs/a.txt", "alpha 2");
    runBackup();
    EXPECT_EQ(recordedAndMatching(subfolder(7, "Incremental")), QStringList({"Docs/a.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Destinations, ChecksumRecordTest,
                         ::testing::Values(Destination::Local, Destination::Smb),
                         [](const auto& info) { return info.param == Destination::Smb ? "Smb" : "Local"; });
