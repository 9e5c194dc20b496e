// The window program started through the elevation command (replaced by one that acts as pkexec does
// once the user has answered) works on the asking user's folders, and everything it writes there,
// the window layout included, belongs to that user afterwards.
#include "AppFixture.h"
#include "platform/ElevationCommand.h"
#include "support/CliRunner.h"
#include "support/MissingFacility.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

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
    void TearDown() override
    {
        if (elevated.state() != QProcess::NotRunning) {
            elevated.kill();
            elevated.waitForFinished();
        }
        AppFixture::TearDown();
    }
    QProcess elevated;
};

TEST_F(ElevatedWindowTest, WhatTheElevatedWindowWritesBelongsToTheAskingUser)
{
    ZORVAN_SKIP_UNLESS(geteuid() == 0, "only root works for another user");
    const passwd* entry = getpwuid(kUserId);
    ZORVAN_SKIP_UNLESS(entry, "no user " << kUserId);
    const gid_t gid = entry->pw_gid;

    // The asking user's folders, with a job of theirs.
    const QString home = TestEnvironment::makeFolder("home");
    for (const char* sub : {".local/share", ".config", ".cache", "Documents"})
        QDir().mkpath(home + '/' + sub);
    TestEnvironment::writeFile(home + "/.config/user-dirs.dirs",
                               "XDG_DOCUMENTS_DIR=\"" + home.toUtf8() + "/Documents\"\n");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + "/.cache"));
    createFilesJob("Docs", {{"a.txt", 100}});
    giveTree(home, kUserId, gid);
    for (QString path = QFileInfo(home).path(); path.startsWith(TestEnvironment::root());
         path = QFileInfo(path).path())
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther);

    // As pkexec runs the program once the user has answered: a clean environment, root's home, the
    // asking user's id; the offscreen platform stands in for the user's display.
    const QString grant = TestEnvironment::makeFolder("elevation") + "/grant";
    TestEnvironment::writeFile(grant,
                               "#!/bin/sh\nexec env -i PKEXEC_UID=" + QByteArray::number(kUserId) +
                                   " HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin QT_QPA_PLATFORM=offscreen "
                                   "\"$@\"\n");
    QFile::setPermissions(grant, QFile::ReadOwner | QFile::ExeOwner);
    qputenv("ZORVAN_ELEVATE_COMMAND", QFile::encodeName(grant));
    const QStringList line = TElevationCommand(kProgram).commandLine({"/backup", "Docs"});
    qunsetenv("ZORVAN_ELEVATE_COMMAND");
    elevated.setProcessChannelMode(QProcess::MergedChannels);
    elevated.start(line.first(), line.mid(1));
    ASSERT_TRUE(elevated.waitForStarted());

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

} // namespace
