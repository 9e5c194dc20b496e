// The commands that go through a wizard: new job, duplicate and settings.
#include "app/JobCommands.h"
#include "JobCommandsFixture.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "scheduler/RunControl.h"
#include "scheduler/Scheduler.h"
#include "support/QtPrinters.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/widgets/SourceTree.h"
#include "ui/wizards/uWizard_FilesBackup.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>

using namespace ModalSteps;

namespace {

class WizardCommandsTest : public JobCommandsFixture
{
protected:
    // Moves through the pages to the last one and ends the wizard with `action` ("acSave" or
    // "acSaveAndRun").
    static void finishWizard(QWidget& wizard, const char* action)
    {
        auto* next = child<QPushButton>(wizard, "btNext");
        for (int page = 0; page < 3 && next->isEnabled(); ++page)
            next->click();
        child<QAction>(wizard, action)->trigger();
    }
};

TEST_F(WizardCommandsTest, NewJobAndItsDuplicate)
{
    start();
    // Nothing may start the job behind the test's back.
    program->scheduler().disableTimer();
    const QString source = sourceRoot + "/Weekly";
    QDir().mkpath(source);
    QString caption;
    whenShown("frmNewBackupJob", [](QWidget& dialog) {
        setText(dialog, "edJobName", "Weekly ");
        click(dialog, "btOK");
    });
    whenShown("frmWizard_FilesBackup", [&](QWidget& wizard) {
        caption = wizard.windowTitle();
        wizard.findChild<SourceTree*>("SourceTree")->SetCheckedPaths({source + "/*"});
        setText(wizard, "edExternalPath", destination);
        finishWizard(wizard, "acSaveAndRun");
    });
    trigger("ActionNewJob");
    EXPECT_EQ(caption, " New Job - Weekly ");
    ASSERT_EQ(program->jobs().count(), 1);
    auto* job = dynamic_cast<TJob_FilesAndFolders*>(program->jobs().at(0));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->stJobName, "Weekly");
    EXPECT_EQ(job->DestinationPath, destination);
    EXPECT_EQ(job->Settings.Sources.List, QStringList{source + "/*"});
    EXPECT_EQ(job->JobStatus.load(), jsWaiting) << "\"Save && Run\" queues the new job";
    EXPECT_EQ(program->mainWindow().selectedJob(), job);
    EXPECT_TRUE(QFileInfo::exists(jobFile("Weekly")));
    EXPECT_TRUE(takeEvents().contains("Created new job: \"Weekly \"."));
    job->SetStatus(jsNone);

    // The duplicate starts from the job's settings; "Save && Run" only saves it.
    QString shownPath;
    whenShown("frmQueryInput", [](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), " Duplicate");
        EXPECT_EQ(child<QLineEdit>(dialog, "Edit1")->text(), "Weekly (Duplicated)");
        click(dialog, "Button1");
    });
    whenShown("frmWizard_FilesBackup", [&](QWidget& wizard) {
        caption = wizard.windowTitle();
        shownPath = child<QLineEdit>(wizard, "edExternalPath")->text();
        finishWizard(wizard, "acSaveAndRun");
    });
    onJob("Weekly", "ActionDuplicate");
    EXPECT_EQ(caption, " New Job - Weekly (Duplicated)");
    EXPECT_EQ(shownPath, destination);
    ASSERT_EQ(program->jobs().count(), 2);
    auto* copy = dynamic_cast<TJob_FilesAndFolders*>(program->jobs().at(1));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->stJobName, "Weekly (Duplicated)");
    EXPECT_EQ(copy->Settings.Sources.List, job->Settings.Sources.List);
    EXPECT_EQ(copy->DestinationPath, destination);
    EXPECT_TRUE(copy->isIdle());
    EXPECT_TRUE(QFileInfo::exists(jobFile("Weekly (Duplicated)")));

    // A cancelled wizard adds nothing.
    whenShown("frmNewBackupJob", [](QWidget& dialog) {
        setText(dialog, "edJobName", "Other");
        click(dialog, "btOK");
    });
    whenShown("frmWizard_FilesBackup", [](QWidget& wizard) { click(wizard, "btCancel"); });
    trigger("ActionNewJob");
    EXPECT_EQ(program->jobs().count(), 2);
    EXPECT_FALSE(QFileInfo::exists(jobFile("Other")));

    // Both are in the jobs list after a restart.
    stop();
    start();
    EXPECT_EQ(rowOf("Weekly"), 0);
    EXPECT_EQ(rowOf("Weekly (Duplicated)"), 1);
}

TEST_F(WizardCommandsTest, SettingsOfAJobThatStartsMeanwhileKeepTheInput)
{
    createFilesJob("Docs", {{"a.txt", 10}});
    const QString elsewhere = root + "/elsewhere";
    QDir().mkpath(elsewhere);
    start();
    program->scheduler().disableTimer();
    TJob* job = program->jobs().at(0);

    // A job that is not idle cannot be edited (the window disables the command for it; the command
    // refuses all the same).
    job->SetStatus(jsRunning);
    program->jobCommands().ActionPropertiesExecute(*job);
    ASSERT_EQ(MessageDialogHook::shown().size(), 1);
    EXPECT_EQ(MessageDialogHook::shown().at(0).Text, TRunControl::RefusalText());
    EXPECT_TRUE(MessageDialogHook::shown().at(0).Plain);
    job->SetStatus(jsNone);
    MessageDialogHook::clearShown();

    QString caption;
    bool editing = false;
    QString kept;
    auto* wizardWindow = &program->filesWizard();
    whenShown("frmWizard_FilesBackup", [&](QWidget& wizard) {
        caption = wizard.windowTitle();
        EXPECT_EQ(child<QLineEdit>(wizard, "edExternalPath")->text(), destination);
        setText(wizard, "edExternalPath", elsewhere);
        // The job starts while its settings are open.
        job->SetStatus(jsRunning);
        whenShown(
            "frmWizard_FilesBackup",
            [&](QWidget& again) {
                kept = child<QLineEdit>(again, "edExternalPath")->text();
                editing = wizardWindow->EditingJob;
                job->SetStatus(jsNone);
                finishWizard(again, "acSaveAndRun");
            },
            true);
        finishWizard(wizard, "acSave");
    });
    onJob("Docs", "ActionSettings");
    EXPECT_EQ(caption, " Settings - Docs");
    EXPECT_EQ(shownTexts(), QStringList{"Job is currently running.\n" + TRunControl::RefusalText()});
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtWarning);
    EXPECT_EQ(kept, elsewhere);
    EXPECT_TRUE(editing);
    EXPECT_EQ(job->DestinationPath, elsewhere);
    EXPECT_EQ(job->JobStatus.load(), jsWaiting);
    job->SetStatus(jsNone);

    // Saved in the job file: the program reads it back.
    stop();
    start();
    EXPECT_EQ(program->jobs().at(0)->DestinationPath, elsewhere);
}

TEST_F(WizardCommandsTest, DriveImageJobsGoThroughTheirOwnWizard)
{
    createImageJob("System");
    start();
    program->scheduler().disableTimer();
    QStringList captions;
    const auto cancelWizard = [&captions](QWidget& wizard) {
        captions << wizard.windowTitle();
        click(wizard, "btCancel");
    };
    whenShown("frmNewBackupJob", [](QWidget& dialog) {
        setText(dialog, "edJobName", "Disk");
        child<QRadioButton>(dialog, "rbDriveBackup")->setChecked(true);
        click(dialog, "btOK");
    });
    whenShown("frmWizard_DriveImageBackup", cancelWizard);
    trigger("ActionNewJob");
    answerQueryInput("System copy");
    whenShown("frmWizard_DriveImageBackup", cancelWizard);
    onJob("System", "ActionDuplicate");
    whenShown("frmWizard_DriveImageBackup", cancelWizard);
    onJob("System", "ActionSettings");
    EXPECT_EQ(captions, (QStringList{" New Job - Disk", " New Job - System copy", " Properties - System"}));
    EXPECT_EQ(program->jobs().count(), 1);
    EXPECT_EQ(shownTexts(), QStringList{});

    // Saved as loaded, the duplicate is a drive image job with the same settings.
    answerQueryInput("System copy");
    whenShown("frmWizard_DriveImageBackup", [](QWidget& wizard) {
        auto* next = child<QPushButton>(wizard, "btNext");
        while (next->isEnabled())
            next->click();
        child<QAction>(wizard, "acSave")->trigger();
    });
    onJob("System", "ActionDuplicate");
    EXPECT_EQ(shownTexts(), QStringList{});
    ASSERT_EQ(program->jobs().count(), 2);
    EXPECT_EQ(program->jobs().at(1)->Kind(), jkDriveImage);
    EXPECT_EQ(program->jobs().at(1)->DestinationPath, program->jobs().at(0)->DestinationPath);
    EXPECT_TRUE(QFileInfo::exists(jobFile("System copy")));
}

} // namespace
