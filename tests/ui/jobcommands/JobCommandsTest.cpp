#include "base/AppState.h"
#include "JobCommandsFixture.h"
#include "jobs/JobCatalogue.h"
#include "options/uOptions.h"
#include "support/CliRunner.h"
#include "support/MissingFacility.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmOpenJobDialog.h"
#include "ui/widgets/FileChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QRadioButton>

using namespace ModalSteps;

namespace {

class JobCommandsTest : public JobCommandsFixture
{
};

TEST_F(JobCommandsTest, NamesAreCheckedAsTyped)
{
    createFilesJob("Docs", {{"a.txt", 10}});
    createFilesJob("Work", {{"b.txt", 10}});
    start();
    const QString forbidden = "The following symbols are not allowed in the title:\r\n\r\n<>:\"/\\|?*";
    struct Case
    {
        QString typed;
        QString shown; // empty: no message
        QString nameAfter;
    } cases[] = {
        {"Do<cs", forbidden, "Docs"},
        {"a/b", forbidden, "Docs"},
        {"   ", "", "Docs"},
        {" work ", "Job \" work \" already exists. Please specify another name.", "Docs"},
        // Its own name in other letters is taken too; the same name with a blank changes nothing.
        {"DOCS", "Job \"DOCS\" already exists. Please specify another name.", "Docs"},
        {"Docs ", "", "Docs"},
        // Blanks at the ends are dropped from the name.
        {"  Papers ", "", "Papers"},
    };
    for (const Case& c : cases) {
        MessageDialogHook::clearShown();
        TJob* job = program->jobs().at(0);
        answerQueryInput(c.typed);
        onJob(job->stJobName, "ActionRename");
        EXPECT_EQ(shownTexts(), c.shown.isEmpty() ? QStringList{} : QStringList{c.shown})
            << c.typed.toStdString();
        EXPECT_EQ(job->stJobName, c.nameAfter) << c.typed.toStdString();
    }
    // A job that never ran: only its job file is renamed.
    EXPECT_TRUE(QFileInfo::exists(jobFile("Papers")));
    EXPECT_FALSE(QFileInfo::exists(jobFile("Docs")));
    EXPECT_TRUE(takeEvents().contains("Job \"Docs\" is renamed to \"Papers\"."));
    EXPECT_EQ(program->jobs().at(0)->stJobName, "Papers");

    // "New Job" checks the same way before any wizard shows.
    for (const auto& [typed, shown] :
         {std::pair<QString, QString>{"x:y", forbidden},
          {"papers", "Job \"papers\" already exists. Please specify another name."}}) {
        MessageDialogHook::clearShown();
        whenShown("frmNewBackupJob", [typed](QWidget& dialog) {
            setText(dialog, "edJobName", typed);
            click(dialog, "btOK");
        });
        trigger("ActionNewJob");
        EXPECT_EQ(shownTexts(), QStringList{shown});
        EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtError);
    }
    EXPECT_EQ(program->jobs().count(), 2);
}

TEST_F(JobCommandsTest, RenameTakesTheBackupsAndLogsAlong)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    runBackup("Docs");
    ASSERT_TRUE(QFileInfo(destination + "/Docs").isDir());
    ASSERT_TRUE(QFileInfo::exists(destination + "/Docs.kxj"));
    start();
    ASSERT_TRUE(QFileInfo(logFolder("Docs")).isDir());
    answerQueryInput("Papers");
    onJob("Docs", "ActionRename");
    EXPECT_EQ(shownTexts(), QStringList{});
    expectRenamedEverywhere(destination, "Docs", "Papers");
    TJob* job = program->jobs().at(0);
    EXPECT_EQ(job->stJobName, "Papers");
    EXPECT_TRUE(job->isIdle());
    EXPECT_EQ(job->JobOperation.load(), joRename);

    // The renamed job still backs up into its renamed folder, and the program finds it after a restart.
    stop();
    runBackup("Papers");
    EXPECT_TRUE(QFileInfo::exists(destination + "/Papers.kxj"));
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs"));
    start();
    EXPECT_EQ(rowOf("Papers"), 0);
}

TEST_F(JobCommandsTest, RenameKeepsWhatSucceededBeforeAStepFails)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    runBackup("Docs");
    // Without the job file copy beside the backups, the second step fails.
    ASSERT_TRUE(QFile::remove(destination + "/Docs.kxj"));
    start();
    answerQueryInput("Papers");
    onJob("Docs", "ActionRename");
    EXPECT_EQ(shownTexts(),
              QStringList{"Unable to rename the job. Please learn last error messages in the Events log."});
    EXPECT_TRUE(QFileInfo(destination + "/Papers").isDir()) << "the renamed folder keeps its new name";
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs"));
    // Nothing after the failed step happened.
    EXPECT_TRUE(QFileInfo(logFolder("Docs")).isDir());
    EXPECT_FALSE(QFileInfo::exists(logFolder("Papers")));
    EXPECT_TRUE(QFileInfo::exists(jobFile("Docs")));
    EXPECT_FALSE(QFileInfo::exists(jobFile("Papers")));
    EXPECT_EQ(program->jobs().at(0)->stJobName, "Docs");
    EXPECT_TRUE(program->jobs().at(0)->isIdle());
}

TEST_F(JobCommandsTest, RenameOnANetworkShare)
{
    const bool available = createSmbJob("Docs");
    ZORVAN_SKIP_UNLESS(available, "smbd needs root and the samba package");
    runBackup("Docs");
    ASSERT_TRUE(QFileInfo(smbDestination + "/Docs").isDir());
    ASSERT_TRUE(QFileInfo::exists(smbDestination + "/Docs.kxj"));
    start();
    answerQueryInput("Papers");
    onJob("Docs", "ActionRename");
    EXPECT_EQ(shownTexts(), QStringList{});
    expectRenamedEverywhere(smbDestination, "Docs", "Papers");

    // With the share gone nothing is renamed, and the user is sent to the events.
    smb->stop();
    MessageDialogHook::clearShown();
    takeEvents();
    answerQueryInput("Letters");
    onJob("Papers", "ActionRename");
    EXPECT_EQ(shownTexts(),
              QStringList{"Unable to rename the job. Please learn last error messages in the Events log."});
    EXPECT_TRUE(takeEvents().contains("ERROR:"));
    EXPECT_EQ(program->jobs().at(0)->stJobName, "Papers");
    EXPECT_TRUE(QFileInfo::exists(jobFile("Papers")));
    EXPECT_TRUE(QFileInfo(logFolder("Papers")).isDir());
    EXPECT_TRUE(program->jobs().at(0)->isIdle());
}

TEST_F(JobCommandsTest, RemoveWithAndWithoutTheBackups)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    createFilesJob("Work", {{"b.txt", 100}});
    runBackup("Docs");
    runBackup("Work");
    start();

    // "No" to the first question: nothing happens.
    MessageDialogHook::answerNext(mrNo);
    onJob("Docs", "ActionRemove");
    EXPECT_EQ(shownTexts(), QStringList{"Remove the record for backup job Docs?"});
    EXPECT_EQ(MessageDialogHook::shown().at(0).Kind, mtConfirmation);
    EXPECT_EQ(program->jobs().count(), 2);

    MessageDialogHook::clearShown();
    takeEvents();
    MessageDialogHook::answerNext(mrYes);
    MessageDialogHook::answerNext(mrYes);
    onJob("Docs", "ActionRemove");
    EXPECT_EQ(shownTexts(),
              (QStringList{"Remove the record for backup job Docs?",
                           "Do you want also to remove the backup folder with all its contents?"}));
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs"));
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs.kxj"));
    EXPECT_FALSE(QFileInfo::exists(jobFile("Docs")));
    EXPECT_EQ(rowOf("Docs"), -1);
    QString events = takeEvents();
    EXPECT_TRUE(events.contains("The backup folder has been removed successfully on the storage device."));
    EXPECT_TRUE(events.contains("Job is removed."));

    MessageDialogHook::answerNext(mrYes);
    MessageDialogHook::answerNext(mrNo);
    onJob("Work", "ActionRemove");
    EXPECT_TRUE(QFileInfo(destination + "/Work").isDir());
    EXPECT_TRUE(QFileInfo::exists(destination + "/Work.kxj"));
    EXPECT_FALSE(QFileInfo::exists(jobFile("Work")));
    EXPECT_EQ(program->jobs().count(), 0);
    events = takeEvents();
    EXPECT_FALSE(events.contains("The backup folder has been removed"));
    EXPECT_TRUE(events.contains("Job is removed."));

    // The jobs list remembers no job after a restart.
    stop();
    start();
    EXPECT_EQ(program->jobs().count(), 0);
}

TEST_F(JobCommandsTest, RemoveWhenTheStorageIsNotConnected)
{
    const bool available = createSmbJob("Docs");
    ZORVAN_SKIP_UNLESS(available, "smbd needs root and the samba package");
    runBackup("Docs");
    smb->stop();
    start();
    MessageDialogHook::answerNext(mrYes);
    MessageDialogHook::answerNext(mrYes);
    onJob("Docs", "ActionRemove");
    ASSERT_EQ(shownTexts().size(), 3);
    EXPECT_EQ(shownTexts().at(2), "Unable to remove the backup folder.\n\nMake sure the storage device is "
                                  "connected. Then remove it manually");
    EXPECT_EQ(MessageDialogHook::shown().at(2).Kind, mtError);
    EXPECT_EQ(program->jobs().count(), 0);
    EXPECT_FALSE(QFileInfo::exists(jobFile("Docs")));
    EXPECT_TRUE(takeEvents().contains("Job is removed."));
    EXPECT_TRUE(QFileInfo(smbDestination + "/Docs").isDir()) << "the backups stay for a later manual removal";
}

TEST_F(JobCommandsTest, DriveImageBackupsAreRemovedByAnElevatedInstance)
{
    createImageJob("System");
    createImageJob("Disk");
    start();
    ASSERT_EQ(program->jobs().count(), 2);

    // The elevation is refused: the backups count as not removed, the job goes all the same.
    qputenv("ZORVAN_ELEVATE_COMMAND", "false");
    MessageDialogHook::answerNext(mrYes);
    MessageDialogHook::answerNext(mrYes);
    onJob("Disk", "ActionRemove");
    ASSERT_EQ(shownTexts().size(), 3);
    EXPECT_TRUE(shownTexts().at(2).startsWith("Unable to remove the backup folder."));
    EXPECT_EQ(rowOf("Disk"), -1);
    EXPECT_FALSE(AppTerminating.load());

    // Granted: the elevated instance is asked to remove the job, and this one ends.
    const QString arguments = root + "/arguments";
    const QString elevated = root + "/elevated";
    QDir().mkpath(elevated);
    // The stand-in records its arguments and then carries the name of the program it starts.
    const QString grant = root + "/grant.sh";
    TestEnvironment::writeFile(
        grant, QString("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '%1'\n"
                       "cp /bin/sleep '%2/%3'\nexec '%2/%3' 3\n")
                   .arg(arguments, elevated, QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                   .toUtf8());
    QFile::setPermissions(grant, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("ZORVAN_ELEVATE_COMMAND", QFile::encodeName(grant));
    MessageDialogHook::clearShown();
    MessageDialogHook::answerNext(mrYes);
    MessageDialogHook::answerNext(mrYes);
    onJob("System", "ActionRemove");
    qunsetenv("ZORVAN_ELEVATE_COMMAND");
    EXPECT_EQ(shownTexts().size(), 2);
    EXPECT_TRUE(AppTerminating.load());
    EXPECT_TRUE(program->lifecycle().ended());
    EXPECT_EQ(rowOf("System"), 0) << "the elevated instance removes it";
    EXPECT_TRUE(QFileInfo::exists(jobFile("System")));
    const QStringList passed = QString::fromUtf8(TestEnvironment::readFile(arguments)).split('\n');
    const qsizetype at = passed.indexOf("/remove");
    ASSERT_GE(at, 0) << passed.join(' ').toStdString();
    EXPECT_EQ(passed.value(at + 1), "System");
}

TEST_F(JobCommandsTest, ImportFromANetworkShare)
{
    const bool available = createSmbJob("Weekly");
    ZORVAN_SKIP_UNLESS(available, "smbd needs root and the samba package");
    runBackup("Weekly");
    // The import reads the file with no user name: from a share open to guests.
    for (const char* name : {"/Monthly.kxj", "/Weekly.kxj"})
        QFile::remove(smb->guestFolder() + name);
    ASSERT_TRUE(QFile::copy(smbDestination + "/Weekly.kxj", smb->guestFolder() + "/Monthly.kxj"));
    ASSERT_TRUE(QFile::copy(smbDestination + "/Weekly.kxj", smb->guestFolder() + "/Weekly.kxj"));
    start();

    FileChooserHook::answerNextOpenFile(smb->guestShareUrl() + "/Monthly.kxj");
    whenShown("frmOpenJobDialog", [](QWidget& dialog) {
        click(dialog, "btBrowse");
        click(dialog, "btImport");
    });
    takeEvents();
    trigger("ActionImport");
    EXPECT_EQ(shownTexts(), QStringList{});
    const int row = rowOf("Monthly");
    ASSERT_EQ(row, 1);
    TJob* job = program->jobs().at(row);
    EXPECT_EQ(job->DestinationType, dtNetwork);
    EXPECT_EQ(job->Destination_NetworkUsername, smb->user());
    EXPECT_TRUE(QFileInfo::exists(jobFile("Monthly")));
    EXPECT_TRUE(takeEvents().contains("Job is open: \"Monthly\"."));
    // The working copy is gone.
    EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles + "/Monthly.kxj"));

    // A job of that name exists (letter case aside): refused before anything is copied; "smb://" works.
    MessageDialogHook::clearShown();
    const QString url = "smb:" + smb->guestShareUrl() + "/Weekly.kxj";
    ASSERT_TRUE(program->jobs().at(0)->stJobName == "Weekly");
    program->jobs().at(0)->stJobName = "weekly";
    program->openJobDialog().DefaultPath = url;
    whenShown("frmOpenJobDialog", [url](QWidget& dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "edJobFile")->text(), url);
        click(dialog, "btImport");
    });
    trigger("ActionImport");
    EXPECT_EQ(shownTexts(), QStringList{"Job \"Weekly\" already exists. Please specify another name."});
    EXPECT_FALSE(QFileInfo::exists(GlobalOptions.General.PathForTempFiles + "/Weekly"));
    EXPECT_EQ(program->jobs().count(), 2);
    program->jobs().at(0)->stJobName = "Weekly";
}

TEST_F(JobCommandsTest, ImportAtTheFirstShowingStartsWithTheGivenFile)
{
    createFilesJob("Docs", {{"a.txt", 100}});
    runBackup("Docs");
    ASSERT_EQ(RunCli({"remove", "Docs"}).code, 0);
    const QString remote = destination + "/Docs.kxj";
    whenShown("frmOpenJobDialog", [remote](QWidget& dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "edJobFile")->text(), remote);
        click(dialog, "btImport");
    });
    start({remote});
    EXPECT_EQ(shownTexts(), QStringList{});
    EXPECT_EQ(rowOf("Docs"), 0);
    EXPECT_TRUE(QFileInfo::exists(jobFile("Docs")));
}

} // namespace
