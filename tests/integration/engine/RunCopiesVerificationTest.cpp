// The copies of a backup run read again from the storage and checked against the checksums the run
// computed while writing them: a copy damaged after the run is named as an error of the run, on a
// local disk and on a share; and the option turns the check on in a real run.
#include "EngineTestSupport.h"

#include "base/PathJoin.h"
#include "engine/ChecksumFile.h"
#include "engine/PointVerification.h"
#include "engine/VerificationRun.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <algorithm>

using namespace TestEnvironment;

namespace {

class RunCopiesVerificationTest : public EngineTest, public ::testing::WithParamInterface<Destination>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ZORVAN_SKIP_UNLESS(GetParam() != Destination::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        ConfigureJob(*job, btInc, {sourceRoot + "/Docs/*"});
        writeSource("Docs/a.txt", "alpha");
        writeSource("Docs/empty.txt", "");
        writeSource("Docs/big.bin", QByteArray(9 * 1024 * 1024 + 5, 'b')); // more than one chunk
    }
    void TearDown() override
    {
        GlobalOptions.Processing.VerifyCopiesAfterBackup = false;
        EngineTest::TearDown();
    }
};

} // namespace

TEST_P(RunCopiesVerificationTest, ACopyDamagedAfterTheRunIsOneErrorOfTheRun)
{
    runBackup();
    const QString full = subfolder(5, "Full");
    TChecksumTable recorded;
    ASSERT_EQ(ReadChecksumFile(storedPath(full + '/' + kChecksumFileName), recorded),
              TChecksumFileState::Read);
    ASSERT_EQ(recorded.entries.size(), 3);
    QByteArray big = readFile(storedPath(full + "/Docs/big.bin"));
    big[9 * 1024 * 1024 + 1] = char(big[9 * 1024 * 1024 + 1] ^ 0x10);
    writeFile(storedPath(full + "/Docs/big.bin"), big);

    const TStorageConnectionResult connection = job->ConnectToStorage();
    ASSERT_TRUE(connection.ok());
    const QString folder = JoinPath(connection.folder, full);
    QList<qint64> seen;
    const TVerifyProgress progress = [&](const QString&, qint64 done, qint64 total) {
        EXPECT_EQ(total, 9 * 1024 * 1024 + 5 + 5);
        seen.append(done);
    };
    const TVerifyResult result = VerifyRunCopies(*job, folder, recorded, progress);
    ASSERT_EQ(result.Problems.size(), 1u);
    EXPECT_EQ(result.Problems[0].Kind, TVerifyProblemKind::Damaged);
    EXPECT_TRUE(result.Problems[0].Path.endsWith(full + "/Docs/big.bin"))
        << result.Problems[0].Path.toStdString();
    EXPECT_EQ(result.FilesChecked, 3);
    EXPECT_EQ(result.BytesRead, 9 * 1024 * 1024 + 5 + 5);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.last(), 9 * 1024 * 1024 + 5 + 5);

    // In a run, the same check logs the damaged copy as an error and sums up.
    job->LastJobResult.Log.clear();
    job->LastJobResult.ErrorsCount = 0;
    VerifyCopiesAfterRun(*job, folder, recorded);
    job->DisconnectFromStorage();
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 1);
    EXPECT_EQ(logCount("ERROR:"), 1);
    EXPECT_TRUE(logLineWith("ERROR:").contains("damaged")) << logLineWith("ERROR:").toStdString();
    EXPECT_TRUE(logLineWith("ERROR:").endsWith(full + "/Docs/big.bin"))
        << logLineWith("ERROR:").toStdString();
    EXPECT_TRUE(logHas("Verification of the copies finished: 3 files checked, 1 problems."));
    EXPECT_EQ(job->JobOperation.load(), joBackup);
}

TEST_P(RunCopiesVerificationTest, TheOptionChecksTheCopiesOfEachRunThatCopiedFiles)
{
    const struct
    {
        bool option;
        const char* summary; // nullptr: no verification
    } cases[] = {
        {false, nullptr},
        {true, "Verification of the copies finished: 3 files checked, 0 problems."},
    };
    for (const auto& c : cases) {
        GlobalOptions.Processing.VerifyCopiesAfterBackup = c.option;
        writeSource("Docs/a.txt", "alpha, again");
        writeSource("Docs/empty.txt", "");
        writeSource("Docs/big.bin", QByteArray(9 * 1024 * 1024 + 5, 'c'));
        runBackup();
        EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0) << c.option;
        EXPECT_EQ(logHas("Verifying the copies"), c.summary != nullptr) << c.option;
        if (c.summary) {
            EXPECT_TRUE(logHas(c.summary)) << c.option;
        }
    }
    // A run that copied nothing has nothing to check.
    runBackup();
    EXPECT_FALSE(logHas("Verifying the copies"));
}

INSTANTIATE_TEST_SUITE_P(Storages, RunCopiesVerificationTest,
                         ::testing::Values(Destination::Local, Destination::Smb),
                         [](const auto& info) { return info.param == Destination::Local ? "Local" : "Smb"; });
