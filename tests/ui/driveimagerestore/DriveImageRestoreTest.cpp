// "Restore" of a drive image job in the program: the guidance with the tool's command line for this
// job, the restart into the boot menu, and "Recover now..." onto a volume file, refusing a mounted
// drive first.
#include "driveimage/DriveImageRestore.h"
#include "app/DriveImageRestoreCommand.h"
#include "base/AppState.h"
#include "driveimage/DriveImageRecovery.h"
#include "jobs/uJob_DriveImage.h"
#include "platform/MountTable.h"
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/LoopVolume.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"
#include "support/TmpfsMount.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmRestore_DriveImage.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

using namespace ModalSteps;
using namespace DriveImageRecovery;

namespace {

class DriveImageRestoreTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        // Only the job's volume is imaged, never the system's own.
        qputenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES", "");
        drive = std::make_unique<TmpfsMount>(destination, "backup-drive", 64);
        ZORVAN_SKIP_UNLESS(drive->mounted(), "mounting a tmpfs needs root rights");
        createImageJob("System");
        volume = root + "/volume.img";
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        drive.reset();
        qunsetenv("ZORVAN_IMAGETOOL_CRITICAL_VOLUMES");
    }
    // A version of the volume as it is now, made by the tool itself.
    void backUp()
    {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(ZORVAN_BIN_DIR "/zorvan-imagetool",
                   {"start", "backup", "-backupTarget:" + destination, "-include:" + volume, "-quiet"});
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAll().toStdString();
    }
    TJob_DriveImage& job() { return dynamic_cast<TJob_DriveImage&>(*program->jobs().at(0)); }
    TfrmRestore_DriveImage& guidance() { return program->driveImageRestore().guidanceDialog(); }
    template <class T> T* inGuidance(const char* name) { return child<T>(guidance(), name); }
    void restore()
    {
        program->mainWindow().selectJob(rowOf("System"));
        trigger("ActionRestore");
    }

    std::unique_ptr<TmpfsMount> drive;
    QString volume;
};

TEST_F(DriveImageRestoreTest, GuidanceShowsTheCommandLineAndRestartsIntoTheBootMenu)
{
    backUp();
    start();
    QStringList started;
    program->driveImageRestore().StartCommand = [&started](const QString& program,
                                                           const QStringList& arguments) {
        started = QStringList{program} + arguments;
        return true;
    };
    restore();
    ASSERT_TRUE(guidance().isVisible());
    EXPECT_FALSE(guidance().isModal());
    EXPECT_EQ(guidance().windowTitle(), " Restore Drive Image");
    QList<TImageVersionInfo> versions;
    QString error;
    ASSERT_TRUE(ReadVersions(job(), versions, error)) << error.toStdString();
    ASSERT_EQ(versions.size(), 1);
    const QString line = GuidanceCommandLine(job(), {versions[0].Identifier, volume, volume});
    EXPECT_EQ(inGuidance<QPlainTextEdit>("edCommandLine")->toPlainText(), line);
    EXPECT_TRUE(line.contains("-backupTarget:" + destination)) << line.toStdString();
    inGuidance<QPushButton>("btCopyCommand")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), line);
    EXPECT_TRUE(inGuidance<QPushButton>("btRecoverNow")->isVisible()) << "a volume file is not in use";
    EXPECT_EQ(inGuidance<QPushButton>("btRestart")->text(), "Restart PC and continue...");

    inGuidance<QPushButton>("btRestart")->click();
    EXPECT_EQ(started, RestartIntoBootMenuCommand());
    EXPECT_TRUE(AppTerminating.load());
    EXPECT_FALSE(guidance().isVisible());
    EXPECT_FALSE(program->mainWindow().isVisible());
}

TEST_F(DriveImageRestoreTest, RecoverNowRefusesAMountedTargetThenRestoresTheSecondNewestVersion)
{
    LoopVolume mounted(root + "/mounted.img", root + "/mounted", "MOUNTED");
    ASSERT_TRUE(mounted.mounted()) << mounted.errorText().toStdString();
    const QByteArray first = TestEnvironment::readFile(volume);
    backUp();
    TestEnvironment::writeFile(volume, QByteArray(1 << 20, 'w'));
    backUp();
    TestEnvironment::writeFile(volume, QByteArray(1 << 20, 'x'));
    start();
    restore();
    ASSERT_TRUE(guidance().isVisible());

    QStringList versionTexts;
    QString proposedTarget;
    MessageDialogHook::clearShown();
    whenShown("frmRecoverVolume", [&](QWidget& d) {
        auto* versions = child<QComboBox>(d, "cbVersion");
        for (int i = 0; i < versions->count(); ++i)
            versionTexts.append(versions->itemText(i));
        versions->setCurrentIndex(1); // newest first: the second-newest
        proposedTarget = child<QLineEdit>(d, "edRecoveryTarget")->text();
        setText(d, "edRecoveryTarget", mounted.device());
        click(d, "btOK");
        ASSERT_TRUE(d.isVisible()) << "a mounted target is refused";
        setText(d, "edRecoveryTarget", volume);
        MessageDialogHook::answerNext(mrYes);
        click(d, "btOK");
    });
    inGuidance<QPushButton>("btRecoverNow")->click();
    EXPECT_EQ(versionTexts.size(), 2);
    EXPECT_EQ(proposedTarget, volume);
    const auto shown = MessageDialogHook::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].Kind, mtError);
    EXPECT_EQ(shown[0].Text, mounted.device() + " cannot be overwritten: it is mounted at " +
                                 mounted.mountPoint() + ". Unmount it first.");
    EXPECT_EQ(shown[1].Kind, mtConfirmation);
    EXPECT_TRUE(shown[1].Text.contains("replaces all data on " + volume + " ("))
        << shown[1].Text.toStdString();
    EXPECT_FALSE(guidance().isVisible());

    // The recovery runs as the job's restore; at the end the volume is the first version's.
    EXPECT_EQ(job().JobOperation.load(), joRestore);
    ASSERT_TRUE(waitUntil([&] { return job().isIdle(); }, 120000));
    EXPECT_EQ(job().LastJobResult.ErrorsCount, 0)
        << job().LastJobResult.Log.snapshot().join('\n').toStdString();
    EXPECT_TRUE(TestEnvironment::readFile(volume) == first);
}

} // namespace
