// The window program started through the elevation command (replaced by one that acts as pkexec does
// once the user has answered) works on the asking user's folders, and everything it writes there,
// the window layout included, belongs to that user afterwards.
#include "platform/ElevationCommand.h"
#include "platform/InstanceLock.h"
#include "support/CliRunner.h"
#include "support/gui/AppFixture.h"
#include "support/MissingFacility.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup");
constexpr uid_t kUserId = 65534;

// Entries below `folder` (itself included, links not followed) that do not belong to `uid`.
QStringList notOwnedBy(const QString& folder, uid_t uid)
{
    QStringList others;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    for (QString path = folder; !path.isEmpty(); path = it.hasNext() ? it.next() : QString()) {
        struct stat st
        {
        };
        if (lstat(QFile::encodeName(path).constData(), &st) != 0 || st.st_uid != uid)
            others << path;
    }
    return others;
}

void giveTree(const QString& folder, uid_t uid, gid_t gid)
{
    lchown(QFile::encodeName(folder).constData(), uid, gid);
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        lchown(QFile::encodeName(it.next()).constData(), uid, gid);
}

class ElevatedWindowTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        for (const char* name :
             {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "PKEXEC_UID"})
            saved.append({name, qgetenv(name)});
    }
    void TearDown() override
    {
        if (elevated.state() != QProcess::NotRunning) {
            elevated.kill();
            elevated.waitForFinished();
        }
        for (const auto& [name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        AppFixture::TearDown();
    }

    // The asking user's folders, with a job of theirs and a runtime folder of their own, all theirs;
    // false when the tests cannot act for that user.
    bool prepareUser()
    {
        if (geteuid() != 0)
            return false;
        const passwd* entry = getpwuid(kUserId);
        if (!entry)
            return false;
        gid = entry->pw_gid;
        home = TestEnvironment::makeFolder("home");
        for (const char* sub : {".local/share", ".config", ".cache", "Documents", "runtime"})
            QDir().mkpath(home + '/' + sub);
        TestEnvironment::writeFile(home + "/.config/user-dirs.dirs",
                                   "XDG_DOCUMENTS_DIR=\"" + home.toUtf8() + "/Documents\"\n");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home + "/.cache"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home + "/runtime"));
        createFilesJob("Docs", {{"a.txt", 100}});
        giveTree(home, kUserId, gid);
        for (QString path = QFileInfo(home).path(); path.startsWith(TestEnvironment::root());
             path = QFileInfo(path).path())
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther);
        return true;
    }

    // Starts the window program with `arguments` through an elevation command that acts as pkexec does
    // once the user has answered: a clean environment, root's home, the asking user's id; the offscreen
    // platform stands in for the user's display.
    void startElevated(const QStringList& arguments)
    {
        const QString grant = TestEnvironment::makeFolder("elevation") + "/grant";
        TestEnvironment::writeFile(grant, "#!/bin/sh\nexec env -i PKEXEC_UID=" + QByteArray::number(kUserId) +
                                              " HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin "
                                              "QT_QPA_PLATFORM=offscreen \"$@\"\n");
        QFile::setPermissions(grant, QFile::ReadOwner | QFile::ExeOwner);
        qputenv("ZORVAN_ELEVATE_COMMAND", QFile::encodeName(grant));
        const QStringList line = TElevationCommand(kProgram).commandLine(arguments);
        qunsetenv("ZORVAN_ELEVATE_COMMAND");
        elevated.setProcessChannelMode(QProcess::MergedChannels);
        elevated.start(line.first(), line.mid(1));
        ASSERT_TRUE(elevated.waitForStarted());
    }

    // Runs `program` as the asking user in their session and waits for its end (at most 60 s); its exit
    // code, -1 when it did not end by itself.
    int runAsUser(const QStringList& program, QByteArray& output) const
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        const QStringList session{"--reuid=" + QString::number(kUserId),
                                  "--regid=" + QString::number(gid),
                                  "--clear-groups",
                                  "env",
                                  "-i",
                                  "HOME=" + home,
                                  "QT_QPA_PLATFORM=offscreen",
                                  "XDG_DATA_HOME=" + home + "/.local/share",
                                  "XDG_CONFIG_HOME=" + home + "/.config",
                                  "XDG_CACHE_HOME=" + home + "/.cache",
                                  "XDG_RUNTIME_DIR=" + home + "/runtime"};
        process.start(QStandardPaths::findExecutable("setpriv"), session + program);
        const bool ended = process.waitForFinished(60000);
        output = process.readAll();
        if (!ended) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QProcess elevated;
    QList<std::pair<const char*, QByteArray>> saved;
    gid_t gid = 0;
    QString home;
};

TEST_F(ElevatedWindowTest, WhatTheElevatedWindowWritesBelongsToTheAskingUser)
{
    ZORVAN_SKIP_UNLESS(prepareUser(), "only root works for another user, here user " << kUserId);
    startElevated({"/backup", "Docs"});
    ASSERT_FALSE(HasFatalFailure());

    // It runs the job, then ends on SIGTERM, saving its layout.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(destination + "/Docs.kxj"); }))
        << elevated.readAll().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !QDir(home + "/Documents/Zorvan Backup/Docs").isEmpty(); }));
    ::kill(pid_t(elevated.processId()), SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return elevated.state() == QProcess::NotRunning; }));
    EXPECT_EQ(elevated.exitCode(), 0) << elevated.readAll().toStdString();

    const QString data = home + "/.local/share/Zorvan Backup";
    for (const QString& path :
         {data + "/jobslist.obl", data + "/Docs.obd", home + "/.config/Zorvan Backup/window.ini"})
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(notOwnedBy(home, kUserId), QStringList());
}

TEST_F(ElevatedWindowTest, TheUsersNextStartHandsOverToTheElevatedInstance)
{
    ZORVAN_SKIP_UNLESS(prepareUser(), "only root works for another user, here user " << kUserId);
    ZORVAN_SKIP_UNLESS(!QStandardPaths::findExecutable("setpriv").isEmpty(), "setpriv is not available");
    // The elevated restart of a hidden instance, while the instance it replaces still holds the user's
    // lock for a moment: once that has ended, it takes the lock and listens for the user's starts.
    qputenv("PKEXEC_UID", QByteArray::number(kUserId));
    TInstanceLock replaced;
    ASSERT_TRUE(replaced.tryLock());
    qunsetenv("PKEXEC_UID");
    startElevated({"/admin", "/hide"});
    ASSERT_FALSE(HasFatalFailure());
    const QString socket = home + QStringLiteral("/runtime/zorvan-backup-%1.socket").arg(kUserId);
    QThread::msleep(2000);
    EXPECT_FALSE(QFileInfo::exists(socket));
    replaced.unlock();
    // The socket is given to the user just after it appears.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(socket); })) << elevated.readAll().toStdString();
    EXPECT_TRUE(waitUntil([&] { return notOwnedBy(home + "/runtime", kUserId).isEmpty(); }))
        << notOwnedBy(home + "/runtime", kUserId).join(' ').toStdString();

    // The user's command-line scheduler finds their jobs scheduled already...
    QByteArray output;
    EXPECT_EQ(runAsUser({QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli"), "scheduler"}, output), 75)
        << output.toStdString();
    // ...and their next start of the program brings the elevated window up and ends.
    EXPECT_EQ(runAsUser({kProgram}, output), 0) << output.toStdString();
    EXPECT_EQ(elevated.state(), QProcess::Running) << elevated.readAll().toStdString();
}

} // namespace
