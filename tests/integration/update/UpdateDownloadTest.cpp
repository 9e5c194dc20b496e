#include "update/UpdateDownload.h"
#include "support/HttpServer.h"
#include "support/SigningKey.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace {

const QByteArray kPackagePath = "/download/zorvanbackup.deb";
const QByteArray kSignaturePath = "/download/zorvanbackup.deb.sig";

struct Outcome
{
    bool finished = false;
    bool ok = false;
    QString reason;
    QList<int> percents;
};

class UpdateDownloadTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(http.start());
        target = TestEnvironment::makeFolder("download") + "/update.deb";
    }

    // Runs the download to its end; with `abortAfterMsecs`, the user aborts it after that time.
    Outcome download(int abortAfterMsecs = 0)
    {
        TUpdateServer server;
        server.Base = http.base();
        server.PublicKey = key.publicKey();
        TUpdateDownload download(server);
        Outcome outcome;
        QEventLoop loop;
        QObject::connect(&download, &TUpdateDownload::progress,
                         [&](int percent) { outcome.percents.append(percent); });
        if (abortAfterMsecs > 0)
            QTimer::singleShot(abortAfterMsecs, &download, &TUpdateDownload::abort);
        QObject::connect(&download, &TUpdateDownload::finished, [&](bool ok, const QString& reason) {
            outcome = {true, ok, reason, outcome.percents};
            loop.quit();
        });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        download.start(target);
        if (!outcome.finished)
            loop.exec();
        return outcome;
    }

    HttpServer http;
    SigningKey key;
    QString target;
    const QByteArray package = QByteArray(300000, 'd') + "package end";
};

TEST_F(UpdateDownloadTest, AVerifiedPackageStaysWithItsProgressShown)
{
    http.answer(kPackagePath, {200, package});
    http.answer(kSignaturePath, {200, key.sign(package)});
    const Outcome outcome = download();
    EXPECT_TRUE(outcome.ok) << outcome.reason.toStdString();
    EXPECT_EQ(TestEnvironment::readFile(target), package);
    ASSERT_FALSE(outcome.percents.isEmpty());
    EXPECT_EQ(outcome.percents.last(), 100);
    EXPECT_EQ(http.requested, QList<QByteArray>({kPackagePath, kSignaturePath}));
}

TEST_F(UpdateDownloadTest, ChunkedOrUnknownLengthDownloadsWithoutProgress)
{
    for (HttpAnswer::Mode how : {HttpAnswer::Chunked, HttpAnswer::WithoutLength}) {
        http.answer(kPackagePath, {200, package, how});
        http.answer(kSignaturePath, {200, key.sign(package)});
        const Outcome outcome = download();
        EXPECT_TRUE(outcome.ok) << outcome.reason.toStdString();
        EXPECT_TRUE(outcome.percents.isEmpty());
        EXPECT_EQ(TestEnvironment::readFile(target), package);
    }
}

TEST_F(UpdateDownloadTest, APackageThatDoesNotVerifyIsDeleted)
{
    const SigningKey stranger;
    const struct
    {
        const char* name;
        HttpAnswer signature;
        const char* reason;
    } cases[] = {
        {"wrong key", {200, stranger.sign(package)}, "its signature does not match"},
        {"other bytes", {200, key.sign(package + "x")}, "its signature does not match"},
        {"missing", {404, {}}, "its signature could not be downloaded"},
    };
    for (const auto& c : cases) {
        http.answer(kPackagePath, {200, package});
        http.answer(kSignaturePath, c.signature);
        const Outcome outcome = download();
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_TRUE(outcome.reason.startsWith("The downloaded update could not be verified")) << c.name;
        EXPECT_TRUE(outcome.reason.contains(c.reason)) << outcome.reason.toStdString();
        EXPECT_FALSE(QFile::exists(target)) << c.name;
    }
}

TEST_F(UpdateDownloadTest, AbortStopsAStalledDownload)
{
    http.answer(kPackagePath, {200, package, HttpAnswer::PartThenStall});
    const Outcome outcome = download(300);
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.reason, "Download is cancelled. Please download manually.");
    EXPECT_EQ(http.requested, QList<QByteArray>({kPackagePath}));
}

TEST_F(UpdateDownloadTest, AFailedDownloadGivesTheReason)
{
    http.answer(kPackagePath, {503, "busy"});
    const Outcome outcome = download();
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_EQ(http.requested, QList<QByteArray>({kPackagePath}));
}

} // namespace
