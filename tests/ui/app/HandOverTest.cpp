// The hand-over between a second start and the running instance over the local socket: the request
// reaches the handler on the running instance's thread, and the sender hears back only after the
// handler is done.
#include "app/core/InstanceHandOver.h"
#include "support/TestEnvironment.h"

#include "support/QtPrinters.h"
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <future>
#include <thread>

namespace {

TEST(HandOverTest, RequestLinesReadBack)
{
    const THandOverRequest requests[] = {
        {THandOverRequest::hoShow, {}},
        {THandOverRequest::hoImport, QStringLiteral("/media/usb/Mes sauvegardes/Été.kxj")},
    };
    for (const THandOverRequest& request : requests) {
        const QByteArray line = EncodeHandOverRequest(request);
        EXPECT_TRUE(line.endsWith('\n'));
        EXPECT_EQ(DecodeHandOverRequest(line), request);
    }
    for (const char* bad : {"", "\n", "import \n", "shows\n", "open /x.kxj\n"})
        EXPECT_FALSE(DecodeHandOverRequest(bad)) << bad;
}

TEST(HandOverTest, AcknowledgedAfterTheHandlerHasRun)
{
    THandOverServer server;
    ASSERT_TRUE(server.listen());
    QList<THandOverRequest> handled;
    std::atomic<bool> answered{false};
    server.Handler = [&](const THandOverRequest& request) {
        // Like a dialog: events go on while the handler runs, and the sender still waits.
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_FALSE(answered.load());
        handled.append(request);
    };
    const THandOverRequest import{THandOverRequest::hoImport, QStringLiteral("/srv/Docs.kxj")};
    auto sent = std::async(std::launch::async, [&] {
        const THandOverResult result = SendHandOver(import);
        answered = true;
        return result;
    });
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return answered.load();
    }));
    EXPECT_EQ(sent.get(), hrAcknowledged);
    EXPECT_EQ(handled, QList<THandOverRequest>{import});
}

TEST(HandOverTest, NobodyListening)
{
    // A socket file left by an instance that died is no instance.
    THandOverServer server;
    ASSERT_TRUE(server.listen());
    server.close();
    TestEnvironment::writeFile(HandOverServerName(), "left over");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(SendHandOver({THandOverRequest::hoShow, {}}, 300), hrNoInstance);
    EXPECT_LT(timer.elapsed(), 5000);
    // The next instance listens in its place.
    ASSERT_TRUE(server.listen());
    bool shown = false;
    server.Handler = [&](const THandOverRequest& request) {
        shown = request.Kind == THandOverRequest::hoShow;
    };
    auto sent = std::async(std::launch::async, [] { return SendHandOver({THandOverRequest::hoShow, {}}); });
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }));
    EXPECT_EQ(sent.get(), hrAcknowledged);
    EXPECT_TRUE(shown);
}

} // namespace
