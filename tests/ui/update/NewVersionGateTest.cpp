#include "app/core/DesktopSettings.h"
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/HttpServer.h"
#include "support/SigningKey.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmNewVersion.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QByteArray kVersionPath = "/download/version/zorvanbackup-version.html";
const QByteArray kChangesPath = "/download/version/zorvanbackup-changes.html";
const QByteArray kPackagePath = "/download/zorvanbackup.deb";
const QByteArray kSignaturePath = "/download/zorvanbackup.deb.sig";

// Takes what the program would open with the desktop, instead of the desktop.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    OpenedUrls()
    {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~OpenedUrls() override
    {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;
    // The package's bytes at the moment it was opened.
    QByteArray openedPackage;

public Q_SLOTS:
    void open(const QUrl& url)
    {
        urls.append(url);
        if (url.isLocalFile())
            openedPackage = readAll(url.toLocalFile());
    }

private:
    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

class NewVersionGateTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(http.start());
        savedServer = qgetenv("ZORVAN_UPDATE_SERVER");
        qputenv("ZORVAN_UPDATE_SERVER", http.base().toEncoded());
        qputenv("ZORVAN_UPDATE_PUBLIC_KEY", key.publicKeyBase64());
        http.answer(kChangesPath, {200, "Faster copies\n\nA new dialog\n"});
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        qputenv("ZORVAN_UPDATE_SERVER", savedServer);
        qunsetenv("ZORVAN_UPDATE_PUBLIC_KEY");
    }

    // The program up to and through its gates; their answer.
    bool passGates(const QStringList& parameters = {})
    {
        program = std::make_unique<TZorvanBackupProgram>(TCommandLine(parameters));
        EXPECT_TRUE(program->Create());
        program->lifecycle().EndProgram = {};
        return program->PassStartupGates();
    }

    // Answers the dialog: remembers its text, then runs `steps`.
    void whenDialogShown(std::function<void(QWidget&)> steps)
    {
        ModalSteps::whenShown(QStringLiteral("frmNewVersion"), [this, steps](QWidget& dialog) {
            shownText = ModalSteps::child<QLabel>(dialog, "lbText")->text();
            steps(dialog);
        });
    }

    QString downloaded() const { return QDir(GlobalOptions.General.PathForTempFiles).filePath("update.deb"); }

    HttpServer http;
    SigningKey key;
    QByteArray savedServer;
    QString shownText;
    const QByteArray package = QByteArray(200000, 'p') + "package";
};

TEST_F(NewVersionGateTest, OptionalUpdateDeclinedLetsTheProgramRun)
{
    http.answer(kVersionPath, {200, "11/10\nzorvanbackup.deb\n"});
    whenDialogShown([](QWidget& dialog) {
        EXPECT_EQ(ModalSteps::child<QPushButton>(dialog, "btUpdateNow")->text(), "Update Now");
        EXPECT_TRUE(ModalSteps::child<QPushButton>(dialog, "btUpdateNow")->font().bold());
        EXPECT_FALSE(ModalSteps::child<QProgressBar>(dialog, "pbDownload")->isVisible());
        EXPECT_EQ(dialog.windowTitle(), " Zorvan Backup");
        ModalSteps::click(dialog, "btCancel");
    });
    EXPECT_TRUE(passGates());
    EXPECT_EQ(shownText, "The new version 1.1 is available\n\nWhat's new:\nFaster copies\nA new dialog");
    EXPECT_FALSE(program->newVersionDialog().MustUpdate);
}

TEST_F(NewVersionGateTest, ForcedUpdateEndsTheProgramEvenWhenHidden)
{
    http.answer(kVersionPath, {200, "12/11\nzorvanbackup.deb\n"});
    whenDialogShown([](QWidget& dialog) { ModalSteps::click(dialog, "btCancel"); });
    EXPECT_FALSE(passGates({"/hide"}));
    EXPECT_TRUE(
        shownText.startsWith("This version of the software is out of date. You must download the current "
                             "version 1.2 to continue using the software."));
}

TEST_F(NewVersionGateTest, NoDialogWithoutANewerVersionOrWhenTheCheckIsOff)
{
    http.answer(kVersionPath, {200, "10/10\nzorvanbackup.deb\n"});
    EXPECT_TRUE(passGates());
    EXPECT_EQ(http.requested.size(), 2);
    stop();

    http.answer(kVersionPath, {200, "12/11\nzorvanbackup.deb\n"});
    http.requested.clear();
    ASSERT_TRUE(SaveCheckForNewVersionAtStart(false));
    EXPECT_TRUE(passGates());
    EXPECT_TRUE(http.requested.isEmpty());
}

TEST_F(NewVersionGateTest, AVerifiedUpdateIsOpenedAndTheProgramEnds)
{
    OpenedUrls opened;
    http.answer(kVersionPath, {200, "11/10\nzorvanbackup.deb\n"});
    http.answer(kPackagePath, {200, package});
    http.answer(kSignaturePath, {200, key.sign(package)});
    whenDialogShown([](QWidget& dialog) { ModalSteps::click(dialog, "btUpdateNow"); });
    EXPECT_FALSE(passGates());
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls.first(), QUrl::fromLocalFile(downloaded()));
    EXPECT_EQ(opened.openedPackage, package);
    EXPECT_TRUE(MessageDialogHook::shown().isEmpty());
}

TEST_F(NewVersionGateTest, AnUnverifiedUpdateIsNeverOpened)
{
    OpenedUrls opened;
    const SigningKey stranger;
    http.answer(kVersionPath, {200, "11/10\nzorvanbackup.deb\n"});
    http.answer(kPackagePath, {200, package, HttpAnswer::Chunked});
    http.answer(kSignaturePath, {200, stranger.sign(package)});
    whenDialogShown([](QWidget& dialog) { ModalSteps::click(dialog, "btUpdateNow"); });
    EXPECT_FALSE(passGates());
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    const MessageDialogHook::TShownMessage box = MessageDialogHook::shown().first();
    EXPECT_EQ(box.Kind, mtError);
    EXPECT_TRUE(
        box.Text.startsWith("Failed to download update.\n\nThe downloaded update could not be verified"))
        << box.Text.toStdString();
    // Only the web site, never the package.
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls.first().scheme(), "http");
    EXPECT_FALSE(QFile::exists(downloaded()));
}

TEST_F(NewVersionGateTest, AbortDuringTheDownloadReportsItAndEnds)
{
    OpenedUrls opened;
    http.answer(kVersionPath, {200, "11/10\nzorvanbackup.deb\n"});
    http.answer(kPackagePath, {200, package, HttpAnswer::PartThenStall});
    QString abortCaption;
    whenDialogShown([&](QWidget& dialog) {
        ModalSteps::click(dialog, "btUpdateNow");
        EXPECT_TRUE(ModalSteps::child<QProgressBar>(dialog, "pbDownload")->isVisible());
        EXPECT_FALSE(ModalSteps::child<QPushButton>(dialog, "btUpdateNow")->isEnabled());
        // The server has sent half the package and says nothing more.
        QTest::qWait(300);
        abortCaption = ModalSteps::child<QPushButton>(dialog, "btCancel")->text();
        ModalSteps::click(dialog, "btCancel");
    });
    EXPECT_FALSE(passGates());
    EXPECT_EQ(abortCaption, "Abort");
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().first().Text,
              "Failed to download update.\n\nDownload is cancelled. Please download manually.");
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_FALSE(opened.urls.first().isLocalFile());
}

} // namespace

#include "NewVersionGateTest.moc"
