// The program restarted with administrator rights, through the elevation command (replaced here by one
// that acts as pkexec does once the user has answered), works on the asking user's folders and leaves
// everything it writes there to that user, so that the ordinary program goes on with it.
#include "platform/ElevationCommand.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TestEnvironment::makeFolder;
using TestEnvironment::writeFile;

const QString kCli = QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli");
constexpr uid_t kUserId = 65534;

struct TOwner
{
    long uid = -1;
    long gid = -1;
    bool operator==(const TOwner&) const = default;
};

TOwner ownerOf(const QString& path)
{
    struct stat st
    {
    };
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {long(st.st_uid), long(st.st_gid)};
}

// Every entry below `folder` (links not followed) whose owner is not `owner`.
QStringList ownedByOthers(const QString& folder, const TOwner& owner, int* seen = nullptr)
{
    QStringList others;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (seen)
            ++*seen;
        if (!(ownerOf(path) == owner))
            others << path;
    }
    return others;
}

class ElevatedInstanceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ZORVAN_SKIP_UNLESS(geteuid() == 0, "only root works for another user");
        const passwd* entry = getpwuid(kUserId);
        ZORVAN_SKIP_UNLESS(entry, "no user " << kUserId);
        user = {long(kUserId), long(entry->pw_gid)};
        // The asking user's session: their folders exist and are theirs, Documents is named in
        // user-dirs.dirs.
        home = makeFolder("home");
        for (const char* sub : {".local/share", ".config", ".cache", "Documents", "runtime"})
            QDir().mkpath(home + '/' + sub);
        writeFile(home + "/.config/user-dirs.dirs",
                  "XDG_DOCUMENTS_DIR=\"" + home.toUtf8() + "/Documents\"\n");
        for (QDirIterator it(home, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            lchown(QFile::encodeName(it.next()).constData(), kUserId, entry->pw_gid);
        lchown(QFile::encodeName(home).constData(), kUserId, entry->pw_gid);
        // The user may pass through the test's folders to their home.
        for (QString path = QFileInfo(home).path(); path.startsWith(TestEnvironment::root());
             path = QFileInfo(path).path())
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther);

        for (const char* name :
             {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "ZORVAN_ELEVATE_COMMAND"})
            saved.append({name, qgetenv(name)});
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home + "/.cache"));
        // As pkexec runs the program once the user has answered: a clean environment, root's home,
        // and the asking user's id.
        const QString grant = makeFolder("elevation") + "/grant";
        writeFile(grant, "#!/bin/sh\nexec env -i PKEXEC_UID=" + QByteArray::number(kUserId) +
                             " HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \"$@\"\n");
        QFile::setPermissions(grant, QFile::ReadOwner | QFile::ExeOwner);
        qputenv("ZORVAN_ELEVATE_COMMAND", QFile::encodeName(grant));

        source = makeFolder("source");
        writeFile(source + "/Docs/a.txt", "alpha");
        writeFile(source + "/Docs/sub/b.txt", "beta");
        destination = makeFolder("destination");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }

    // Runs the command line the program uses for its elevated restart, with `arguments`.
    static QProcess* runElevated(QProcess& process, const QStringList& arguments)
    {
        const QStringList line = TElevationCommand(kCli).commandLine(arguments);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(line.first(), line.mid(1));
        process.waitForFinished(120000);
        return &process;
    }
    // Runs the program as the asking user, in their session.
    QProcess* runAsUser(QProcess& process, const QStringList& arguments) const
    {
        QStringList line{"--reuid=" + QString::number(kUserId),
                         "--regid=" + QString::number(user.gid),
                         "--clear-groups",
                         "env",
                         "-i",
                         "HOME=" + home,
                         "LANG=C.UTF-8",
                         "XDG_DATA_HOME=" + home + "/.local/share",
                         "XDG_CONFIG_HOME=" + home + "/.config",
                         "XDG_CACHE_HOME=" + home + "/.cache",
                         "XDG_RUNTIME_DIR=" + home + "/runtime",
                         kCli};
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStandardPaths::findExecutable("setpriv"), line + arguments);
        process.waitForFinished(120000);
        return &process;
    }

    QList<std::pair<const char*, QByteArray>> saved;
    TOwner user;
    QString home;
    QString source;
    QString destination;
};

TEST_F(ElevatedInstanceTest, EverythingWrittenInTheUsersFoldersBelongsToTheAskingUser)
{
    QProcess create;
    runElevated(create,
                {"create", "Docs", "--source", source + "/Docs", "--dest", destination, "--type", "full"});
    ASSERT_EQ(create.exitCode(), 0) << create.readAll().toStdString();
    QProcess backup;
    runElevated(backup, {"backup", "Docs"});
    ASSERT_EQ(backup.exitCode(), 0) << backup.readAll().toStdString();

    // The elevated instance used the user's folders: jobs, temporary folder, run log.
    const QString data = home + "/.local/share/Zorvan Backup";
    for (const QString& path : {data + "/jobslist.obl", data + "/Docs.obd", home + "/.cache/ZorvanBackupTmp",
                                home + "/Documents/Zorvan Backup/Docs"})
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_FALSE(QDir(home + "/Documents/Zorvan Backup/Docs").entryList({"*.txt"}, QDir::Files).isEmpty());
    int seen = 0;
    EXPECT_EQ(ownedByOthers(home, user, &seen), QStringList());
    EXPECT_GE(seen, 10);

    // Outside them nothing changed owner: the backup on the destination is root's, as are the sources.
    int stored = 0;
    EXPECT_EQ(ownedByOthers(destination, {0, long(getegid())}, &stored), QStringList());
    EXPECT_GT(stored, 0);
    EXPECT_EQ(ownedByOthers(source, {0, long(getegid())}), QStringList());

    // The ordinary program reads the job and saves the list again.
    QProcess list;
    runAsUser(list, {"list"});
    const QString listed = QString::fromUtf8(list.readAll());
    ZORVAN_SKIP_UNLESS(!listed.contains("setpriv:"), listed.toStdString());
    EXPECT_EQ(list.exitCode(), 0) << listed.toStdString();
    EXPECT_TRUE(listed.contains("\nDocs ")) << listed.toStdString();
    QProcess second;
    runAsUser(second,
              {"create", "Notes", "--source", source + "/Docs", "--dest", destination, "--type", "full"});
    EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();
    EXPECT_TRUE(QFileInfo::exists(data + "/Notes.obd"));
}

} // namespace
