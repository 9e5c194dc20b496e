// The folder chooser: local folders, and the shares and folders of a real Samba server.
#include "ui/widgets/FolderChooser.h"
#include "jobs/uJob_DriveImage.h"
#include "support/MissingFacility.h"
#include "support/SmbServer.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class FolderChooserTest : public testing::Test
{
protected:
    TfrmFolderChooser dialog;
    QLineEdit* edServer = dialog.findChild<QLineEdit*>("edServer");
    QPushButton* btShowShares = dialog.findChild<QPushButton*>("btShowShares");
    QTreeWidget* tvNetwork = dialog.findChild<QTreeWidget*>("tvNetwork");
    QLineEdit* edFolder = dialog.findChild<QLineEdit*>("edFolder");
    QLabel* lbStatus = dialog.findChild<QLabel*>("lbStatus");
    QLabel* lbAccount = dialog.findChild<QLabel*>("lbAccount");
    QPushButton* btOK = dialog.findChild<QPushButton*>("btOK");

    bool waitUntilIdle()
    {
        return QTest::qWaitFor([this] { return !dialog.Busy(); }, 30000);
    }
    QTreeWidgetItem* topItem(const QString& text) const
    {
        const QList<QTreeWidgetItem*> found = tvNetwork->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
};

TEST_F(FolderChooserTest, TheHookAnswersWithoutShowingAndRemembersWhatWasAsked)
{
    FolderChooserHook::clearAnswers();
    FolderChooserHook::answerNext("//server/share/images");
    FolderChooserHook::answerNext(QString());
    TFolderChooserSettings settings;
    settings.Title = "Choose a Network folder";
    settings.Root = frNetwork;
    settings.Credentials = {"anna", "secret"};
    EXPECT_EQ(ChooseFolder(nullptr, settings), "//server/share/images");
    EXPECT_EQ(ChooseFolder(nullptr, settings), "") << "an empty answer is a cancel";
    ASSERT_EQ(FolderChooserHook::asked().size(), 2);
    EXPECT_EQ(FolderChooserHook::asked()[0].Title, "Choose a Network folder");
    EXPECT_EQ(FolderChooserHook::asked()[0].Credentials.User, "anna");
    FolderChooserHook::clearAnswers();
}

TEST_F(FolderChooserTest, LocallyOnlyAnExistingFolderIsAccepted)
{
    const QString folder = TestEnvironment::makeFolder("chosen");
    TFolderChooserSettings settings;
    settings.Title = "Pick";
    settings.Prompt = "Pick a folder";
    settings.StartFolder = folder;
    dialog.Prepare(settings);
    EXPECT_EQ(dialog.windowTitle(), "Pick");
    EXPECT_FALSE(edServer->isVisibleTo(&dialog));
    EXPECT_EQ(edFolder->text(), folder) << "the start folder is selected";

    edFolder->setText(folder + "/missing");
    btOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(lbStatus->isVisibleTo(&dialog));
    EXPECT_TRUE(lbStatus->text().contains("does not exist")) << lbStatus->text().toStdString();

    edFolder->setText(folder);
    btOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.ChosenFolder(), folder);
}

class NetworkFolderChooserTest : public FolderChooserTest
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

    TFolderChooserSettings networkSettings(const QString& password) const
    {
        TFolderChooserSettings settings;
        settings.Title = "Choose a Network folder";
        settings.Prompt = "Choose a Network folder";
        settings.Root = frNetwork;
        settings.Credentials = {server->user(), password};
        return settings;
    }
    QString serverName() const { return QStringLiteral("127.0.0.1:%1").arg(server->port()); }

    static SmbServer* server;
    static QString startError;
};

SmbServer* NetworkFolderChooserTest::server = nullptr;
QString NetworkFolderChooserTest::startError;

TEST_F(NetworkFolderChooserTest, BrowsesSharesAndFoldersAndReturnsAPathAJobCanUse)
{
    ASSERT_TRUE(QDir().mkpath(server->shareFolder() + "/images/weekly"));
    dialog.Prepare(networkSettings(server->password()));
    EXPECT_TRUE(lbAccount->text().contains(server->user())) << lbAccount->text().toStdString();
    EXPECT_FALSE(btOK->isEnabled()) << "nothing chosen yet";

    edServer->setText(serverName());
    btShowShares->click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_FALSE(lbStatus->isVisibleTo(&dialog)) << lbStatus->text().toStdString();
    QTreeWidgetItem* share = topItem("share");
    ASSERT_NE(share, nullptr);
    EXPECT_NE(topItem("public"), nullptr);
    EXPECT_EQ(topItem("IPC$"), nullptr);

    share->setExpanded(true);
    ASSERT_TRUE(waitUntilIdle());
    QTreeWidgetItem* images = nullptr;
    for (int i = 0; i < share->childCount(); ++i)
        if (share->child(i)->text(0) == "images")
            images = share->child(i);
    ASSERT_NE(images, nullptr);
    images->setExpanded(true);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(images->childCount(), 1);
    tvNetwork->setCurrentItem(images->child(0));
    const QString expected = server->shareUrl() + "/images/weekly";
    EXPECT_EQ(edFolder->text(), expected);

    btOK->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialog.result() == QDialog::Accepted; }, 30000))
        << lbStatus->text().toStdString();
    EXPECT_EQ(dialog.ChosenFolder(), expected);

    TJob_DriveImage job(QStringLiteral("Image"));
    job.DestinationType = dtNetwork;
    job.DestinationPath = dialog.ChosenFolder();
    job.Destination_NetworkUsername = server->user();
    job.Destination_NetworkPassword = server->password();
    const TStorageConnectionResult connection = job.ConnectToStorage();
    EXPECT_TRUE(connection.ok()) << connection.error.toStdString();
    EXPECT_EQ(connection.folder, expected + "/Image");
    job.DisconnectFromStorage();
}

TEST_F(NetworkFolderChooserTest, AMissingTypedFolderIsRefusedInsideTheDialog)
{
    dialog.Prepare(networkSettings(server->password()));
    // A whole path typed as the server lists the server and proposes the path.
    edServer->setText(server->shareUrl() + "/not-there");
    QTest::keyClick(edServer, Qt::Key_Return);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(edFolder->text(), server->shareUrl() + "/not-there");
    EXPECT_NE(topItem("share"), nullptr);
    btOK->click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(lbStatus->text().contains("was not found")) << lbStatus->text().toStdString();
}

TEST_F(NetworkFolderChooserTest, AnUnknownHostAndAWrongPasswordShowAnErrorInsideTheDialog)
{
    struct Case
    {
        const char* name;
        QString server;
        QString password;
        const char* message;
    };
    const Case cases[] = {
        {"unknown host", "no-such-host.invalid", server->password(), "cannot be reached|was not found"},
        {"wrong password", serverName(), "wrong-password", "Access denied"},
    };
    for (const Case& c : cases) {
        dialog.Prepare(networkSettings(c.password));
        edServer->setText(c.server);
        btShowShares->click();
        EXPECT_TRUE(dialog.isEnabled()) << "the window stays usable while the server is asked";
        ASSERT_TRUE(waitUntilIdle()) << c.name;
        EXPECT_TRUE(lbStatus->isVisibleTo(&dialog)) << c.name;
        EXPECT_TRUE(QRegularExpression(c.message).match(lbStatus->text()).hasMatch())
            << c.name << ": " << lbStatus->text().toStdString();
        EXPECT_EQ(tvNetwork->topLevelItemCount(), 0) << c.name;
        EXPECT_FALSE(btOK->isEnabled()) << c.name;
    }
}

TEST_F(NetworkFolderChooserTest, AStartServerIsListedWithNoFolderChosen)
{
    TFolderChooserSettings settings = networkSettings(server->password());
    settings.StartFolder = server->shareUrl() + "/images";
    dialog.Prepare(settings);
    EXPECT_EQ(edServer->text(), "//" + serverName());
    EXPECT_TRUE(edFolder->text().isEmpty());
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_NE(topItem("share"), nullptr);
}

} // namespace
