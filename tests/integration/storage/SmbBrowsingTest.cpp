// Listing the shares of a real Samba server and the folders of a share, as the folder chooser does.
#include "platform/SmbBrowsing.h"
#include "support/MissingFacility.h"
#include "support/SmbServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <gtest/gtest.h>

namespace {

class SmbBrowsing : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!SmbServer::available())
            return;
        server = new SmbServer;
        server->enableShareListing();
        if (!server->start())
            startError = server->errorText();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override
    {
        ZORVAN_SKIP_UNLESS(SmbServer::available(), "smbd needs root and the samba package");
        ASSERT_TRUE(startError.isEmpty()) << startError.toStdString();
    }

    TSmbCredentials user() const { return {server->user(), server->password()}; }
    QString serverPath() const { return QStringLiteral("//127.0.0.1:%1").arg(server->port()); }

    static SmbServer* server;
    static QString startError;
};

SmbServer* SmbBrowsing::server = nullptr;
QString SmbBrowsing::startError;

TEST_F(SmbBrowsing, ListsTheDiskSharesOfAServerInAnyOfItsForms)
{
    const QString forms[] = {serverPath(), serverPath() + "/share/ignored",
                             QStringLiteral("smb://127.0.0.1:%1").arg(server->port()),
                             QStringLiteral("\\\\127.0.0.1:%1").arg(server->port())};
    for (const QString& form : forms) {
        QStringList shares;
        ASSERT_EQ(ListSmbShares(form, user(), shares), 0) << form.toStdString();
        EXPECT_TRUE(shares.contains("share")) << shares.join(',').toStdString();
        EXPECT_TRUE(shares.contains("readonly"));
        EXPECT_TRUE(shares.contains("public"));
        EXPECT_FALSE(shares.contains("IPC$")) << "the administrative pipe share is no folder";
        QStringList sorted = shares;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        EXPECT_EQ(shares, sorted);
    }
}

TEST_F(SmbBrowsing, ListsOnlyTheFoldersOfAShareFolderSortedByName)
{
    const QString base = server->shareFolder() + "/browse";
    for (const char* folder : {"browse/Zeta", "browse/alpha", "browse/Beta/inner", "browse/with blank"})
        ASSERT_TRUE(QDir().mkpath(server->shareFolder() + '/' + folder));
    QFile file(base + "/file.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QStringList folders;
    ASSERT_EQ(ListSmbFolders(server->shareUrl() + "/browse", user(), folders), 0);
    EXPECT_EQ(folders, QStringList({"alpha", "Beta", "with blank", "Zeta"}));
    ASSERT_EQ(ListSmbFolders(server->shareUrl() + "/browse/Beta", user(), folders), 0);
    EXPECT_EQ(folders, QStringList({"inner"}));

    EXPECT_EQ(CheckSmbFolder(server->shareUrl() + "/browse/with blank", user()), 0);
    EXPECT_EQ(CheckSmbFolder(server->shareUrl(), user()), 0) << "a share is a folder";
    EXPECT_EQ(CheckSmbFolder(server->shareUrl() + "/browse/file.txt", user()), ENOTDIR);
    EXPECT_EQ(CheckSmbFolder(server->shareUrl() + "/browse/missing", user()), ENOENT);
}

TEST_F(SmbBrowsing, RefusalsAndUnknownPlacesComeBackAsErrors)
{
    QStringList names{"stale"};
    const TSmbCredentials wrongPassword{server->user(), QStringLiteral("not-the-password")};
    const int wrong = ListSmbShares(serverPath(), wrongPassword, names);
    EXPECT_TRUE(wrong == EACCES || wrong == EPERM) << wrong;
    EXPECT_TRUE(names.isEmpty());

    const int denied = ListSmbFolders(server->deniedShareUrl(), user(), names);
    EXPECT_TRUE(denied == EACCES || denied == EPERM) << denied;
    EXPECT_NE(ListSmbFolders(server->url("nosuchshare"), user(), names), 0);
    EXPECT_EQ(ListSmbFolders(QStringLiteral("//127.0.0.1"), user(), names), EINVAL) << "no share named";
    EXPECT_EQ(ListSmbShares(QStringLiteral("/local/path"), user(), names), EINVAL);

    // A name that resolves nowhere fails, well within the browsing time-out.
    QElapsedTimer timer;
    timer.start();
    EXPECT_NE(ListSmbShares(QStringLiteral("//no-such-host.invalid"), user(), names), 0);
    EXPECT_LT(timer.elapsed(), 2 * kSmbBrowseTimeoutMs);
}

} // namespace
