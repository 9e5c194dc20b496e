// The logind clients against a private D-Bus daemon with a test peer that answers as
// org.freedesktop.login1 would: Inhibit hands out a pipe's write end, PowerOff accepts or refuses.
#include "platform/PowerControlLogind.h"
#include "platform/SleepInhibitorDBus.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

class TLoginManagerPeer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~TLoginManagerPeer() override
    {
        if (readEnd >= 0)
            ::close(readEnd);
    }

    // What the peer saw; read by the test thread.
    QStringList inhibitArguments() const
    {
        QMutexLocker lock(&mutex);
        return inhibitArgs;
    }
    QList<bool> powerOffCalls() const
    {
        QMutexLocker lock(&mutex);
        return powerOffs;
    }
    void setRefusePowerOff(bool refuse)
    {
        QMutexLocker lock(&mutex);
        refusePowerOff = refuse;
    }
    // True once every copy of the handed-out descriptor has been closed.
    bool inhibitReleased() const
    {
        QMutexLocker lock(&mutex);
        if (readEnd < 0)
            return false;
        pollfd entry{readEnd, POLLIN, 0};
        if (::poll(&entry, 1, 0) != 1)
            return false;
        char byte = 0;
        return ::read(readEnd, &byte, 1) == 0;
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode)
    {
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        QMutexLocker lock(&mutex);
        inhibitArgs = {what, who, why, mode};
        if (readEnd >= 0)
            ::close(readEnd);
        readEnd = ends[0];
        // The descriptor object duplicates the write end: the peer keeps no copy of its own.
        QDBusUnixFileDescriptor handed(ends[1]);
        ::close(ends[1]);
        return handed;
    }

    void PowerOff(bool interactive)
    {
        QMutexLocker lock(&mutex);
        powerOffs.append(interactive);
        if (refusePowerOff)
            sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                           QStringLiteral("Not allowed"));
    }

private:
    mutable QMutex mutex;
    QStringList inhibitArgs;
    QList<bool> powerOffs;
    bool refusePowerOff = false;
    int readEnd = -1;
};

template <class Predicate> bool processEventsUntil(Predicate done, int msecs = 5000)
{
    QDeadlineTimer deadline(msecs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

class LogindBusTest : public testing::Test
{
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_THREAD__)
        // Qt's D-Bus thread lives in uninstrumented Qt and glib code whose locks ThreadSanitizer cannot see.
        GTEST_SKIP() << "Qt D-Bus internals are not instrumented";
#endif
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        ZORVAN_SKIP_UNLESS(!daemon.isEmpty(), "dbus-daemon is not installed");
        const QString folder = TestEnvironment::makeFolder("bus");
        bus.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address=1",
                           "--address=unix:path=" + folder + "/socket"});
        ASSERT_TRUE(bus.waitForStarted());
        ASSERT_TRUE(bus.waitForReadyRead(10000)) << qPrintable(bus.readAllStandardError());
        address = QString::fromUtf8(bus.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());
        serviceThread.start();
    }

    void TearDown() override
    {
        if (peer) {
            QDBusConnection service(kServiceConnection);
            service.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
            service.unregisterService(QStringLiteral("org.freedesktop.login1"));
        }
        QDBusConnection::disconnectFromBus(kServiceConnection);
        serviceThread.quit();
        serviceThread.wait();
        peer.reset();
        if (bus.state() != QProcess::NotRunning) {
            bus.terminate();
            bus.waitForFinished(5000);
        }
    }

    // Puts the peer on the bus under logind's name.
    void registerPeer()
    {
        QDBusConnection service = QDBusConnection::connectToBus(address, kServiceConnection);
        ASSERT_TRUE(service.isConnected());
        peer = std::make_unique<TLoginManagerPeer>();
        peer->moveToThread(&serviceThread);
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/login1"), peer.get(),
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.login1")));
    }

    static inline const QString kServiceConnection = QStringLiteral("logind-peer");
    QProcess bus;
    QString address;
    QThread serviceThread;
    std::unique_ptr<TLoginManagerPeer> peer;
};

TEST_F(LogindBusTest, InhibitionIsHeldWhileBusyAndReleasedWhenIdle)
{
    registerPeer();
    TSleepInhibitorDBus inhibitor(address);
    inhibitor.requestBusy();
    ASSERT_TRUE(processEventsUntil([&] { return inhibitor.isHeld(); }));
    EXPECT_EQ(peer->inhibitArguments(), (QStringList{"sleep:idle", "Zorvan Backup",
                                                     "Backup jobs are running or about to run", "block"}));
    EXPECT_FALSE(peer->inhibitReleased());

    inhibitor.requestBusy(); // already held: no second lock
    inhibitor.requestIdle();
    EXPECT_FALSE(inhibitor.isHeld());
    EXPECT_TRUE(processEventsUntil([&] { return peer->inhibitReleased(); }));
}

TEST_F(LogindBusTest, IdleBeforeTheAnswerDropsTheLockWhenItArrives)
{
    registerPeer();
    TSleepInhibitorDBus inhibitor(address);
    inhibitor.requestBusy();
    inhibitor.requestIdle();
    ASSERT_TRUE(processEventsUntil([&] { return !inhibitor.isPending(); }));
    EXPECT_FALSE(inhibitor.isHeld());
    EXPECT_TRUE(processEventsUntil([&] { return peer->inhibitReleased(); }));
}

TEST_F(LogindBusTest, BusWithoutLogindIsQuiet)
{
    TSleepInhibitorDBus inhibitor(address);
    bool answered = false;
    QObject::connect(&inhibitor, &TSleepInhibitorDBus::busyRequestFinished, [&](bool) { answered = true; });
    inhibitor.requestBusy();
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    EXPECT_FALSE(inhibitor.isHeld());

    // PowerOff falls back to the command when nobody owns logind's name.
    const QString marker = TestEnvironment::makeFolder("fallback") + "/ran";
    TPowerControlLogind power(address, {"sh", "-c", "touch '" + marker + "'"});
    EXPECT_TRUE(power.PowerOffComputer());
    EXPECT_FALSE(power.lastRequestUsedLogind());
    EXPECT_TRUE(QFileInfo::exists(marker));
}

TEST_F(LogindBusTest, PowerOffGoesToLogindWhichAcceptsOrRefuses)
{
    registerPeer();
    const QString marker = TestEnvironment::makeFolder("fallback") + "/ran";
    TPowerControlLogind power(address, {"sh", "-c", "touch '" + marker + "'"});
    EXPECT_TRUE(power.PowerOffComputer());
    EXPECT_TRUE(power.lastRequestUsedLogind());
    EXPECT_EQ(peer->powerOffCalls(), QList<bool>{false}) << "never interactive";

    peer->setRefusePowerOff(true);
    EXPECT_FALSE(power.PowerOffComputer()) << "a refusal by logind is the answer";
    EXPECT_TRUE(power.lastRequestUsedLogind());
    EXPECT_FALSE(QFileInfo::exists(marker)) << "the fallback is only for a missing logind";
}

} // namespace

#include "LogindBusTest.moc"
