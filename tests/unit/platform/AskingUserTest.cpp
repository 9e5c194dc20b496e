// An elevated instance works for the user who asked for it (PKEXEC_UID, else SUDO_UID): it finds that
// user's folders and gives what it creates there to that user, and nothing outside them.
#include "platform/AskingUser.h"
#include "options/RunAtLogon.h"
#include "options/uOptions.h"
#include "platform/Autorun.h"
#include "platform/ElevationCommand.h"
#include "platform/InstanceLock.h"
#include "platform/StandardFolders.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kAskingUid = 65534;

// The variables these tests change, restored afterwards.
const char* const kVariables[] = {"PKEXEC_UID",      "SUDO_UID",       "XDG_DATA_HOME",
                                  "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                                  "WAYLAND_DISPLAY", "LANG",           "ZORVAN_ELEVATE_COMMAND"};

class AskingUserTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ZORVAN_SKIP_UNLESS(geteuid() == 0, "only root works for another user");
        const passwd* entry = getpwuid(kAskingUid);
        ZORVAN_SKIP_UNLESS(entry, "no user " << kAskingUid);
        gid = entry->pw_gid;
        home = QFile::decodeName(entry->pw_dir);
        for (const char* name : kVariables)
            saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        // The user's folders as the elevation passes them on; they exist, as they do in a session.
        const QString user = TestEnvironment::makeFolder("asking user");
        data = user + "/data";
        QDir().mkpath(data);
        QDir().mkpath(user + "/config");
        QDir().mkpath(user + "/cache");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(user + "/config"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(user + "/cache"));
        qunsetenv("SUDO_UID");
        qputenv("PKEXEC_UID", QByteArray::number(kAskingUid));
        outside = TestEnvironment::makeFolder("outside");
        TestEnvironment::writeFile(outside + "/file", "root's");
    }
    void TearDown() override
    {
        for (const auto& variable : saved) {
            if (variable.set)
                qputenv(variable.name, variable.value);
            else
                qunsetenv(variable.name);
        }
    }

    // Owner and group of the path itself (a link is not followed); -1 when it does not exist.
    static std::pair<long, long> ownerOf(const QString& path)
    {
        struct stat st
        {
        };
        if (lstat(QFile::encodeName(path).constData(), &st) != 0)
            return {-1, -1};
        return {long(st.st_uid), long(st.st_gid)};
    }
    std::pair<long, long> asking() const { return {long(kAskingUid), long(gid)}; }
    static std::pair<long, long> root() { return {0L, long(getegid())}; }

    struct Saved
    {
        const char* name;
        QByteArray value;
        bool set;
    };
    QList<Saved> saved;
    gid_t gid = 0;
    QString home;
    QString data;
    QString outside;
};

TEST_F(AskingUserTest, TheUserComesFromPkexecElseSudo)
{
    const struct
    {
        const char* pkexec;
        const char* sudo;
        bool found;
    } cases[] = {
        {"65534", nullptr, true},       {nullptr, "65534", true}, {"65534", "0", true},
        {"0", "65534", false},          {"abc", nullptr, false},  {nullptr, nullptr, false},
        {"3999999999", nullptr, false}, // no such user
    };
    for (const auto& c : cases) {
        c.pkexec ? qputenv("PKEXEC_UID", c.pkexec) : qunsetenv("PKEXEC_UID");
        c.sudo ? qputenv("SUDO_UID", c.sudo) : qunsetenv("SUDO_UID");
        const std::optional<TAskingUser> user = AskingUser();
        ASSERT_EQ(user.has_value(), c.found) << (c.pkexec ? c.pkexec : "-") << ' ' << (c.sudo ? c.sudo : "-");
        if (user) {
            EXPECT_EQ(user->uid, kAskingUid);
            EXPECT_EQ(user->gid, gid);
            EXPECT_EQ(user->home, home);
        }
    }
}

TEST_F(AskingUserTest, FoldersAreThoseOfTheAskingUser)
{
    // The elevation passes the XDG folders on; the home comes from the user database, not root's HOME.
    EXPECT_EQ(StandardFolders::applicationDataFolder(), data + "/Zorvan Backup");
    EXPECT_EQ(StandardFolders::homeFolder(), home);
    EXPECT_EQ(StandardFolders::documentsFolder(), home + "/Documents");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(StandardFolders::cacheFolder(), home + "/.cache");
    qunsetenv("PKEXEC_UID");
    EXPECT_EQ(StandardFolders::homeFolder(), qEnvironmentVariable("HOME"));
    EXPECT_EQ(StandardFolders::cacheFolder(), qEnvironmentVariable("HOME") + "/.cache");
}

TEST_F(AskingUserTest, OnlyWhatLiesInTheUsersFoldersChangesOwner)
{
    const QString logs = outside + "/logs/Zorvan Backup"; // a log folder of the options, away from home
    AddAskingUserFolder(logs);
    QDir().mkpath(outside + "/linked");
    TestEnvironment::writeFile(outside + "/linked/file", "root's");
    QFile::link(outside + "/file", data + "/link to a file");
    QFile::link(outside + "/linked", data + "/link to a folder");
    TestEnvironment::writeFile(data + "/jobslist.obl", "x");

    ASSERT_TRUE(GiveToAskingUser(data + "/jobslist.obl"));
    ASSERT_TRUE(GiveToAskingUser(data + "/link to a file"));
    ASSERT_TRUE(GiveToAskingUser(data + "/link to a folder/file"));
    ASSERT_TRUE(GiveToAskingUser(data + "/../../" + QFileInfo(outside).fileName() + "/file"));
    ASSERT_TRUE(GiveToAskingUser(outside + "/file"));
    ASSERT_TRUE(MakePathForAskingUser(data + "/Zorvan Backup/a/b"));
    ASSERT_TRUE(MakePathForAskingUser(outside + "/elsewhere/a"));
    ASSERT_TRUE(MakePathForAskingUser(logs + "/Docs"));

    const struct
    {
        QString path;
        bool asking;
    } expected[] = {
        {data + "/jobslist.obl", true},
        {data + "/link to a file", true}, // the link itself,
        {outside + "/file", false},       // never what it points to
        {outside + "/linked/file", false},
        {data, false}, // there before: not created here
        {data + "/Zorvan Backup", true},
        {data + "/Zorvan Backup/a", true},
        {data + "/Zorvan Backup/a/b", true},
        {outside + "/elsewhere", false},
        {outside + "/elsewhere/a", false},
        {outside + "/logs", false}, // made on the way to the log folder, outside it
        {logs, true},
        {logs + "/Docs", true},
    };
    for (const auto& e : expected)
        EXPECT_EQ(ownerOf(e.path), e.asking ? asking() : root()) << e.path.toStdString();

    // A process that works for nobody else changes no owner.
    qunsetenv("PKEXEC_UID");
    TestEnvironment::writeFile(data + "/own", "x");
    EXPECT_TRUE(GiveToAskingUser(data + "/own"));
    EXPECT_EQ(ownerOf(data + "/own"), root());
}

TEST_F(AskingUserTest, OptionsAndAutostartEntryBelongToTheUser)
{
    SetDefaultOptions(false);
    ASSERT_TRUE(MakePathForAskingUser(StandardFolders::applicationDataFolder()));
    ASSERT_TRUE(SaveOptions());
    ASSERT_TRUE(SetAutorun(true));
    for (const QString& path : {StandardFolders::applicationDataFolder(), OptionsFilePath(),
                                QFileInfo(AutorunEntryPath()).path(), AutorunEntryPath()})
        EXPECT_EQ(ownerOf(path), asking()) << path.toStdString();
    EXPECT_TRUE(SetAutorun(false));
    QFile::remove(OptionsFilePath());
    GlobalOptions = TOptions();
}

TEST_F(AskingUserTest, TheInstanceLockIsTheAskingUsersAndGivenToThem)
{
    // The user's runtime folder, as a session has it.
    const QString runtime = TestEnvironment::makeFolder("asking user/runtime");
    ASSERT_EQ(lchown(QFile::encodeName(runtime).constData(), kAskingUid, gid), 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    TInstanceLock lock;
    ASSERT_TRUE(lock.tryLock());
    EXPECT_EQ(TInstanceLock::lockFilePath(),
              runtime + QStringLiteral("/zorvan-backup-%1.lock").arg(kAskingUid));
    EXPECT_EQ(ownerOf(TInstanceLock::lockFilePath()), asking());
    lock.unlock();

    // The shared temporary folder, root's, is never taken for the user's: the lock there stays root's.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(outside));
    TInstanceLock shared;
    ASSERT_TRUE(shared.tryLock());
    EXPECT_EQ(ownerOf(TInstanceLock::lockFilePath()), root());
}

// Runs ApplyPassedVariables on `words` as the program's argv; returns the arguments left.
QStringList applyPassed(const QStringList& words, int& applied)
{
    std::vector<QByteArray> bytes;
    for (const QString& word : words)
        bytes.push_back(word.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : bytes)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int argc = int(words.size());
    applied = ApplyPassedVariables(argc, argv.data());
    QStringList left;
    for (int i = 0; i < argc; ++i)
        left << QString::fromLocal8Bit(argv[i]);
    EXPECT_EQ(argv[argc], nullptr);
    return left;
}

TEST_F(AskingUserTest, TheWindowProgramTakesTheUsersVariablesFromItsTrailingArguments)
{
    // The command line the user's instance builds, with values that hold blanks, "=" and quotes.
    const QString odd = TestEnvironment::makeFolder("asking user/a=b \"c\"");
    qputenv("XDG_DATA_HOME", QFile::encodeName(odd + "/data"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(odd + "/cache"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(odd + "/run"));
    qputenv("WAYLAND_DISPLAY", "wayland-1");
    qputenv("LANG", "de_DE.UTF-8");
    qputenv("ZORVAN_ELEVATE_COMMAND", "grant");
    QStringList line =
        TElevationCommand(QStringLiteral("/opt/zorvanbackup")).commandLine({"/backup", "Docs"});
    const QStringList expected{"grant",
                               "/opt/zorvanbackup",
                               "/backup",
                               "Docs",
                               "--zorvan-variable=XDG_RUNTIME_DIR=" + odd + "/run",
                               "--zorvan-variable=WAYLAND_DISPLAY=wayland-1",
                               "--zorvan-variable=LANG=de_DE.UTF-8",
                               "--zorvan-variable=XDG_DATA_HOME=" + odd + "/data",
                               "--zorvan-variable=XDG_CONFIG_HOME=" + qEnvironmentVariable("XDG_CONFIG_HOME"),
                               "--zorvan-variable=XDG_CACHE_HOME=" + odd + "/cache"};
    ASSERT_EQ(line, expected);
    // Words that look alike but are not trailing stay arguments; names outside the list are ignored.
    line = line.mid(1);
    line.insert(1, "--zorvan-variable=XDG_DATA_HOME=/middle");
    line << "--zorvan-variable=PATH=/evil"
         << "--zorvan-variable=LD_PRELOAD=/evil.so";
    const QByteArray path = qgetenv("PATH");

    const struct
    {
        const char* name;
        const char* pkexecUid;
        int applied;
    } cases[] = {
        {"elevated for the user", "65534", 6}, {"no asking user", nullptr, 0}, {"asked by root", "0", 0}};
    for (const auto& c : cases) {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                                 "WAYLAND_DISPLAY", "LANG"})
            qputenv(name, "before");
        c.pkexecUid ? qputenv("PKEXEC_UID", c.pkexecUid) : qunsetenv("PKEXEC_UID");
        int applied = -1;
        EXPECT_EQ(
            applyPassed(line, applied),
            (QStringList{"/opt/zorvanbackup", "--zorvan-variable=XDG_DATA_HOME=/middle", "/backup", "Docs"}))
            << c.name;
        EXPECT_EQ(applied, c.applied) << c.name;
        EXPECT_EQ(qgetenv("PATH"), path) << c.name;
        EXPECT_FALSE(qEnvironmentVariableIsSet("LD_PRELOAD")) << c.name;
        const bool taken = c.applied > 0;
        EXPECT_EQ(qEnvironmentVariable("XDG_DATA_HOME"), taken ? odd + "/data" : "before") << c.name;
        EXPECT_EQ(qEnvironmentVariable("XDG_RUNTIME_DIR"), taken ? odd + "/run" : "before") << c.name;
        EXPECT_EQ(qEnvironmentVariable("LANG"), taken ? "de_DE.UTF-8" : "before") << c.name;
    }
}

} // namespace
