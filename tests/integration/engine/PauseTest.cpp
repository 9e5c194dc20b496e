// Pausing a run that copies a large file holds the copy where it is, and resuming finishes it intact.
#include "EngineTestSupport.h"

#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

class PauseTest : public EngineTest
{
protected:
    // Docs/big.bin, 1 GiB of varied blocks: large enough that a pause lands while it is copied; and
    // a running mirror of it, paused while the copy is under way.
    QString startAndPauseMidCopy()
    {
        const QString big = writeSource("Docs/big.bin", "");
        QFile file(big);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray block(16 << 20, '\0');
        for (int i = 0; i < 64; ++i) {
            block.fill(char('a' + i % 26));
            EXPECT_EQ(file.write(block), block.size());
        }
        file.close();
        ConfigureJob(*job, btSync, {sourceRoot + "/Docs/*"});
        startBackup();
        EXPECT_TRUE(waitFor([this] {
            const int progress = job->CurrentFileOperationProgress.load();
            return job->CurrentFileOperationPath.get().endsWith("big.bin") && progress > 0 && progress <= 50;
        })) << "the copy never showed its progress";
        job->Pause();
        EXPECT_EQ(job->JobStatus.load(), jsPaused);
        EXPECT_TRUE(waitFor([this] { return job->WaitingWhilePaused.load(); }, 30000));
        return big;
    }
};

QByteArray sha256Of(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

TEST_F(PauseTest, APauseHoldsALargeFileMidCopy)
{
    const QString big = startAndPauseMidCopy();
    // Held inside the copy: the file is neither finished nor left behind.
    const int heldAt = job->CurrentFileOperationProgress.load();
    EXPECT_GT(heldAt, 0);
    EXPECT_LT(heldAt, 100);
    EXPECT_TRUE(job->CurrentFileOperationPath.get().endsWith("big.bin"));

    job->SetStatus(jsRunning);
    waitUntilIdle();
    EXPECT_EQ(sha256Of(storedPath("Docs/big.bin")), sha256Of(big));
    EXPECT_EQ(job->LastJobResult.ErrorsCount.load(), 0);
    EXPECT_FALSE(job->LastJobResult.Cancelled.load());
}

TEST_F(PauseTest, ACancelEndsAHeldCopy)
{
    startAndPauseMidCopy();
    job->Cancel();
    waitUntilIdle();
    EXPECT_TRUE(job->LastJobResult.Cancelled.load());
    EXPECT_FALSE(QFile::exists(storedPath("Docs/big.bin")));
}

} // namespace
