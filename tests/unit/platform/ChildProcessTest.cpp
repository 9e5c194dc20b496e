// A child program read through a pipe while it runs.
#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cerrno>
#include <csignal>

namespace {

QByteArray readAll(TChildProcess& child)
{
    QByteArray output;
    while (!child.waitForFinished(100) || child.bytesAvailable() > 0)
        while (child.bytesAvailable() > 0)
            output += child.read(2400);
    return output;
}

TEST(ChildProcessTest, OutputAndErrorArriveThroughOnePipeAndTheExitCodeIsKept)
{
    qputenv("CHILD_TEST_INHERITED", "inherited");
    qputenv("CHILD_TEST_REMOVED", "removed");
    TChildProcess child;
    ASSERT_EQ(
        child.start("sh",
                    {"-c",
                     "echo out; echo err >&2; read line || echo no-input; "
                     "echo \"$CHILD_TEST_INHERITED $CHILD_TEST_SET ${CHILD_TEST_REMOVED:-gone}\"; exit 3"},
                    {{"CHILD_TEST_SET", "set"}}, {"CHILD_TEST_REMOVED"}),
        0);
    EXPECT_EQ(readAll(child), "out\nerr\nno-input\ninherited set gone\n");
    EXPECT_TRUE(child.hasFinished());
    EXPECT_TRUE(child.exitedNormally());
    EXPECT_EQ(child.exitCode(), 3);
}

TEST(ChildProcessTest, MissingProgramIsReportedAndAnotherCanBeTried)
{
    TChildProcess child;
    ASSERT_EQ(child.openPipe(), 0);
    EXPECT_EQ(child.start("zorvan-no-such-program", {}), ENOENT);
    EXPECT_EQ(child.start("/nonexistent/folder/program", {}), ENOENT);
    EXPECT_FALSE(child.isStarted());
    ASSERT_EQ(child.start("/bin/echo", {"second"}), 0);
    EXPECT_EQ(readAll(child), "second\n");
}

TEST(ChildProcessTest, WaitReturnsAfterItsTimeOutAndTerminateEndsTheChild)
{
    TChildProcess child;
    ASSERT_EQ(child.start("sleep", {"30"}), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(child.waitForFinished(100));
    EXPECT_GE(timer.elapsed(), 90);
    EXPECT_EQ(child.bytesAvailable(), 0);
    child.terminate();
    EXPECT_TRUE(child.waitForFinished(5000));
    EXPECT_FALSE(child.exitedNormally());
    EXPECT_EQ(child.exitSignal(), SIGTERM);
}

} // namespace
