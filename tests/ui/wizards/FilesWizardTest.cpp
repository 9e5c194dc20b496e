#include "FilesWizardFixture.h"

#include "base/Clock.h"
#include "base/DateTime.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/FolderChooser.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QToolButton>

namespace {

class FilesWizardTest : public FilesWizardFixture
{
protected:
    void SetUp() override
    {
        FilesWizardFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("Work"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("Data/Work"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("Backups"));
        QFile file(dir.filePath("notes.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    // Moves from the first page to the schedule page with valid settings.
    void goToSchedulePage()
    {
        tree().SetCheckedPaths({dir.filePath("Work/*")});
        find<QLineEdit>("edExternalPath")->setText(dir.filePath("Backups"));
        for (int i = 0; i < 3; ++i)
            find<QPushButton>("btNext")->click();
        ASSERT_EQ(page(), 3);
    }

    // Adds a time through the "+" button and the real add-time window.
    void addTimeThroughDialog(const QTime& time, bool confirm = true)
    {
        whenShown(addTime, [this, time, confirm] {
            addTime.findChild<QTimeEdit*>("dtpTime")->setTime(time);
            if (confirm)
                addTime.findChild<QPushButton*>("btOK")->click();
            else
                addTime.close();
        });
        find<QPushButton>("Button4")->click();
    }

    QStringList timetable() const
    {
        QStringList entries;
        auto* list = find<QListWidget>("lbTimeTable");
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->item(i)->text());
        return entries;
    }

    QTemporaryDir dir;
};

TEST_F(FilesWizardTest, ANewJobStartsFromTheDefaults)
{
    // Disturb every page first: ClearControls must put each control back.
    TJob_FilesAndFolders job("Old");
    job.Settings.Sources.List = {dir.filePath("Work/*")};
    job.Settings.Sources.FilterType = ftExclude;
    job.Settings.Sources.Extensions = "log";
    job.DestinationType = dtNetwork;
    job.DestinationPath = "//server/share";
    job.Destination_NetworkUsername = "ann";
    job.Destination_NetworkPassword = "secret";
    job.Settings.Backup.BackupType = btInc;
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[2] = true;
    job.SchedulingSettings.TimeTable = {"08:00:00"};
    wizard.JobToControls(job);
    wizard.EditingJob = true;
    addTime.SetTime(QTime(9, 30));
    find<QPushButton>("btNext")->click();

    wizard.ClearControls();
    EXPECT_FALSE(wizard.EditingJob);
    EXPECT_EQ(page(), 0);
    EXPECT_FALSE(find<QPushButton>("btBack")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("btNext")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("btDone")->isEnabled());
    EXPECT_EQ(tree().CheckedPaths(), QStringList());
    EXPECT_EQ(find<QComboBox>("cmbFilterExt")->currentIndex(), 0);
    EXPECT_EQ(find<QLineEdit>("edExtFilter")->text(), "txt;doc;exe");
    EXPECT_FALSE(find<QLineEdit>("edExtFilter")->isEnabled());
    EXPECT_EQ(find<QLabel>("Label21")->text(), "View as list (0)");
    EXPECT_TRUE(find<QRadioButton>("rbExternalDevice")->isChecked());
    EXPECT_EQ(find<QLineEdit>("edExternalPath")->text(), "");
    EXPECT_EQ(find<QLineEdit>("edNetworkPath")->text(), "//");
    EXPECT_EQ(find<QLineEdit>("edNetworkUsername")->text(), "");
    EXPECT_EQ(find<QLabel>("Label12")->text(), "Password is not set");
    EXPECT_TRUE(find<QRadioButton>("rbSyncBackup")->isChecked());
    EXPECT_EQ(find<QSpinBox>("sedFullBackupInterval")->value(), 5);
    EXPECT_EQ(find<QSpinBox>("sedNumberFullCopiesToKeep")->value(), 10);
    EXPECT_FALSE(find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("chDaysOfWeek")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("chDaysOfMonth")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("chDaysOfMonth")->isHidden());
    EXPECT_TRUE(find<QListWidget>("clDaysOfMonth")->isHidden());
    EXPECT_FALSE(find<QListWidget>("clDaysOfWeek")->isEnabled());
    EXPECT_EQ(find<QListWidget>("clDaysOfWeek")->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(timetable(), QStringList());
    EXPECT_EQ(addTime.ChosenTime(), QTime(0, 0));
    auto* missed = find<QCheckBox>("chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed");
    EXPECT_TRUE(missed->isChecked());
    EXPECT_FALSE(missed->isEnabled());
    EXPECT_FALSE(find<QCheckBox>("chShutdownPCInTheEnd")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("chShutdownPCInTheEnd")->isEnabled());

    // Saved as it stands, a new job is a mirror with its numbers kept and no schedule.
    TJob_FilesAndFolders saved("New");
    wizard.ControlsToJob(saved);
    EXPECT_EQ(saved.Settings.Backup.BackupType, btSync);
    EXPECT_FALSE(saved.NewSubfolderIsCreatedForEachBackup);
    EXPECT_EQ(saved.Settings.Backup.PerformFullBackup_EveryCopies, 5);
    EXPECT_EQ(saved.Settings.Backup.NumberFullCopiesToKeep, 10);
    EXPECT_EQ(saved.Settings.Sources.FilterType, ftNoFilters);
    EXPECT_EQ(saved.Settings.Sources.Extensions, "txt;doc;exe");
    EXPECT_EQ(saved.SchedulingSettings.SchedulingType, stDisabled);
    EXPECT_TRUE(saved.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
}

TEST_F(FilesWizardTest, EveryFieldGoesThroughTheControlsAndBack)
{
    Clock::setTestTime(QDateTime(QDate(2026, 5, 4), QTime(10, 11, 12)));
    TJob_FilesAndFolders job("Docs");
    job.Settings.Sources.List = {dir.filePath("Work/*"), dir.filePath("Gone/*"), dir.filePath("notes.txt"),
                                 dir.filePath("gone.txt"), dir.filePath("Data/*")};
    job.Settings.Sources.FilterType = ftIncludeOnly;
    job.Settings.Sources.Extensions = "odt;pdf";
    job.DestinationType = dtNetwork;
    job.DestinationPath = "//server/share/backups";
    job.Destination_NetworkUsername = "ann";
    job.Destination_NetworkPassword = "  secret ";
    job.Settings.Backup.BackupType = btFull;
    job.Settings.Backup.PerformFullBackup_EveryCopies = 7;
    job.Settings.Backup.NumberFullCopiesToKeep = 3;
    job.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup = true;
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[1] = true;
    job.SchedulingSettings.DaysOfWeek[5] = true;
    job.SchedulingSettings.DaysOfMonth[31] = true;
    job.SchedulingSettings.TimeTable = {"06:30:00", "18:00:00"};
    job.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = false;
    job.SchedulingSettings.ShutdownPCInTheEnd = true;

    wizard.ClearControls();
    wizard.JobToControls(job);
    EXPECT_EQ(page(), 0);
    EXPECT_FALSE(find<QToolButton>("btDone")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>("edExtFilter")->isEnabled());
    EXPECT_EQ(find<QLabel>("Label21")->text(), "View as list (3)");
    EXPECT_EQ(find<QLabel>("Label12")->text(), "Password is set");
    EXPECT_FALSE(find<QLineEdit>("edExternalPath")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("btSetPassword")->isEnabled());
    EXPECT_FALSE(find<QSpinBox>("sedFullBackupInterval")->isEnabled()) << "full copies have no increments";
    EXPECT_TRUE(find<QSpinBox>("sedNumberFullCopiesToKeep")->isEnabled());
    EXPECT_TRUE(find<QListWidget>("lbTimeTable")->isEnabled());
    EXPECT_TRUE(find<QListWidget>("clDaysOfWeek")->isEnabled());
    EXPECT_EQ(find<QListWidget>("clDaysOfWeek")->item(4)->text(), "Friday");

    TJob_FilesAndFolders saved("Docs");
    saved.Settings.Sources.List = {"/old/*"};
    wizard.ControlsToJob(saved);
    // The sources that are not there now are gone; the others keep their order and spelling.
    EXPECT_EQ(saved.Settings.Sources.List,
              QStringList({dir.filePath("Work/*"), dir.filePath("notes.txt"), dir.filePath("Data/*")}));
    EXPECT_EQ(saved.Settings.Sources.FilterType, ftIncludeOnly);
    EXPECT_EQ(saved.Settings.Sources.Extensions, "odt;pdf");
    EXPECT_EQ(saved.DestinationType, dtNetwork);
    EXPECT_EQ(saved.DestinationPath, "//server/share/backups");
    EXPECT_EQ(saved.Destination_NetworkUsername, "ann");
    EXPECT_EQ(saved.Destination_NetworkPassword, "  secret ");
    EXPECT_EQ(saved.Settings.Backup.BackupType, btFull);
    EXPECT_TRUE(saved.NewSubfolderIsCreatedForEachBackup);
    EXPECT_EQ(saved.Settings.Backup.PerformFullBackup_EveryCopies, 7);
    EXPECT_EQ(saved.Settings.Backup.NumberFullCopiesToKeep, 3);
    EXPECT_TRUE(saved.Settings.Backup.RemoveOldBackupsBeforeStartingNewBackup);
    EXPECT_EQ(saved.SchedulingSettings.SchedulingType, stDaysOfWeek);
    EXPECT_EQ(saved.SchedulingSettings.DaysOfWeek, job.SchedulingSettings.DaysOfWeek);
    EXPECT_EQ(saved.SchedulingSettings.DaysOfMonth, job.SchedulingSettings.DaysOfMonth);
    EXPECT_EQ(saved.SchedulingSettings.TimeTable, QStringList({"06:30:00", "18:00:00"}));
    EXPECT_FALSE(saved.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    EXPECT_TRUE(saved.SchedulingSettings.ShutdownPCInTheEnd);
    EXPECT_EQ(saved.SchedulingSettings.LastModificationDateTime, Now());

    // Switching to an external folder keeps the stored network user name and password.
    find<QRadioButton>("rbExternalDevice")->setChecked(true);
    EXPECT_FALSE(find<QLineEdit>("edNetworkUsername")->isEnabled());
    find<QLineEdit>("edExternalPath")->setText(dir.filePath("Backups"));
    find<QRadioButton>("rbIncrementalBackup")->setChecked(true);
    find<QCheckBox>("chDaysOfWeek")->click();
    wizard.ControlsToJob(saved);
    EXPECT_EQ(saved.DestinationType, dtExternalDevice);
    EXPECT_EQ(saved.DestinationPath, dir.filePath("Backups"));
    EXPECT_EQ(saved.Destination_NetworkUsername, "ann");
    EXPECT_EQ(saved.Destination_NetworkPassword, "  secret ");
    EXPECT_EQ(saved.Settings.Backup.BackupType, btInc);
    EXPECT_EQ(saved.SchedulingSettings.SchedulingType, stDisabled);

    // An external job loads with the network controls emptied.
    wizard.JobToControls(saved);
    EXPECT_EQ(find<QLineEdit>("edNetworkPath")->text(), "//");
    EXPECT_EQ(find<QLineEdit>("edNetworkUsername")->text(), "");
    EXPECT_EQ(find<QLabel>("Label12")->text(), "Password is not set");
    EXPECT_TRUE(find<QSpinBox>("sedFullBackupInterval")->isEnabled());
    Clock::resetTestTime();
}

TEST_F(FilesWizardTest, TheSourcesPageChecksBeforeMovingOn)
{
    auto* next = find<QPushButton>("btNext");
    next->click();
    EXPECT_EQ(takeShownTexts(), QStringList({"Please add one or more sources to the list"}));
    EXPECT_EQ(page(), 0);

    // A filter is normalised in the edit, and refused when nothing is left of it.
    tree().SetCheckedPaths({dir.filePath("Work/*")});
    find<QComboBox>("cmbFilterExt")->setCurrentIndex(2);
    EXPECT_TRUE(find<QLineEdit>("edExtFilter")->isEnabled());
    find<QLineEdit>("edExtFilter")->setText(" ; ;");
    next->click();
    EXPECT_EQ(takeShownTexts(),
              QStringList({"Please specify extensions separated by ;\r\nExample: txt;doc;exe"}));
    EXPECT_EQ(page(), 0);
    find<QLineEdit>("edExtFilter")->setText(".TXT");
    next->click();
    EXPECT_EQ(takeShownTexts(), QStringList({"Characters * . , \\ / are not allowed.\r\n\r\nPlease specify "
                                             "extensions separated by ;\r\nExample: txt;doc;exe"}));
    find<QLineEdit>("edExtFilter")->setText(";TXT; Doc;");

    // Two folders of one name: the error names the later one first, then the list opens.
    tree().SetCheckedPaths({dir.filePath("Work/*"), dir.filePath("Data/Work/*")});
    QString listed;
    whenShown(listViewer, [&] {
        listed = listViewer.findChild<QPlainTextEdit*>("Memo1")->toPlainText();
        listViewer.findChild<QPushButton*>("btOK")->click();
    });
    next->click();
    const auto boxes = MessageDialogHook::shown();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.first().Kind, mtError);
    EXPECT_EQ(boxes.first().Text,
              "Among the items there are files or folders having the same name, therefore they "
              "could be overwritten by each other and you could have incorrect backups.\r\n\r\n"
              "Example:\r\n" +
                  dir.filePath("Data/Work") + "\r\n" + dir.filePath("Work"));
    EXPECT_EQ(listed, dir.filePath("Work") + "\n" + dir.filePath("Data/Work"));
    EXPECT_EQ(wizard.GetDuplicatedNamesOfFoldersOrFiles(),
              dir.filePath("Data/Work") + "\r\n" + dir.filePath("Work"));
    EXPECT_EQ(find<QLineEdit>("edExtFilter")->text(), "txt;doc");
    EXPECT_EQ(page(), 0);
    MessageDialogHook::clearShown();

    // The whole file system: a warning, and the wizard goes on.
    tree().SetCheckedPaths({dir.filePath("Work/*"), "/*"});
    next->click();
    const QStringList texts = takeShownTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts.first().startsWith("You have selected the whole file system / for backup.\r\n\r\n"));
    EXPECT_EQ(page(), 1);
    EXPECT_TRUE(find<QPushButton>("btBack")->isEnabled());
}

TEST_F(FilesWizardTest, TheDestinationPageChecksBeforeMovingOn)
{
    tree().SetCheckedPaths({dir.filePath("notes.txt")});
    auto* next = find<QPushButton>("btNext");
    next->click();
    ASSERT_EQ(page(), 1);

    find<QLineEdit>("edExternalPath")->setText(dir.filePath("missing"));
    next->click();
    EXPECT_EQ(takeShownTexts(), QStringList({"Please choose existing folder"}));
    EXPECT_EQ(page(), 1);

    find<QRadioButton>("rbNetworkStorage")->setChecked(true);
    EXPECT_FALSE(find<QLineEdit>("edExternalPath")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("btChooseExternalPath")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("btChooseNetworkPath")->isEnabled());
    find<QLineEdit>("edNetworkPath")->setText("/");
    next->click();
    EXPECT_EQ(takeShownTexts(), QStringList({"Please choose correct UNC-path"}));
    EXPECT_EQ(page(), 1);
    find<QLineEdit>("edNetworkPath")->setText("//x");
    next->click();
    EXPECT_EQ(takeShownTexts(), QStringList());
    EXPECT_EQ(page(), 2);

    find<QPushButton>("btBack")->click();
    find<QRadioButton>("rbExternalDevice")->setChecked(true);
    find<QLineEdit>("edExternalPath")->setText(dir.filePath("Backups"));
    next->click();
    EXPECT_EQ(page(), 2);
    next->click();
    EXPECT_EQ(page(), 3);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_TRUE(find<QToolButton>("btDone")->isEnabled());
}

TEST_F(FilesWizardTest, ChooseButtonsBrowseTheirRoots)
{
    FolderChooserHook::clearAnswers();
    FolderChooserHook::answerNext(dir.filePath("Backups"));
    find<QPushButton>("btChooseExternalPath")->click();
    EXPECT_EQ(find<QLineEdit>("edExternalPath")->text(), dir.filePath("Backups"));
    FolderChooserHook::answerNext(QString());
    find<QPushButton>("btChooseExternalPath")->click();
    EXPECT_EQ(find<QLineEdit>("edExternalPath")->text(), dir.filePath("Backups")) << "cancelled: unchanged";

    TJob_FilesAndFolders job("Docs");
    job.DestinationType = dtNetwork;
    job.DestinationPath = "//old/share";
    job.Destination_NetworkUsername = "ann";
    job.Destination_NetworkPassword = "secret";
    wizard.JobToControls(job);
    FolderChooserHook::answerNext("//nas/backup/ann");
    find<QPushButton>("btChooseNetworkPath")->click();
    EXPECT_EQ(find<QLineEdit>("edNetworkPath")->text(), "//nas/backup/ann");

    const auto asked = FolderChooserHook::asked();
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked.at(0).Title, "Choose an output folder");
    EXPECT_EQ(asked.at(0).Root, frFileSystem);
    EXPECT_EQ(asked.at(0).StartFolder, "");
    EXPECT_TRUE(asked.at(0).OnlyExistingFolder);
    EXPECT_EQ(asked.at(2).Title, "Choose a Network folder");
    EXPECT_EQ(asked.at(2).Prompt, "Choose a Network folder");
    EXPECT_EQ(asked.at(2).Root, frNetwork);
    EXPECT_EQ(asked.at(2).StartFolder, "");
    EXPECT_EQ(asked.at(2).Credentials.User, "ann");
    EXPECT_EQ(asked.at(2).Credentials.Password, "secret");
    FolderChooserHook::clearAnswers();
}

TEST_F(FilesWizardTest, TheNetworkPasswordIsSetThroughItsDialog)
{
    TfrmPassword password;
    wizard.SetPasswordDialog(password);
    find<QRadioButton>("rbNetworkStorage")->setChecked(true);
    for (const QString& typed : {QString(" pass "), QString()}) {
        whenShown(password, [&] {
            password.findChild<QLineEdit*>("Edit1")->setText(typed);
            password.findChild<QLineEdit*>("Edit2")->setText(typed);
            password.findChild<QPushButton*>("Button2")->click();
        });
        find<QPushButton>("btSetPassword")->click();
        EXPECT_EQ(find<QLabel>("Label12")->text(),
                  typed.isEmpty() ? "Password is not set" : "Password is set");
        TJob_FilesAndFolders job("Docs");
        wizard.ControlsToJob(job);
        EXPECT_EQ(job.Destination_NetworkPassword, typed.trimmed());
    }
}

TEST_F(FilesWizardTest, BackupTypeAndScheduleBoxesEnableTheirControls)
{
    auto* interval = find<QSpinBox>("sedFullBackupInterval");
    auto* keep = find<QSpinBox>("sedNumberFullCopiesToKeep");
    auto* removeFirst = find<QCheckBox>("CheckBox1");
    struct Case
    {
        const char* button;
        bool interval;
        bool copies;
    };
    for (const Case& c : {Case{"rbIncrementalBackup", true, true}, Case{"rbFullBackup", false, true},
                          Case{"rbSyncBackup", false, false}}) {
        find<QRadioButton>(c.button)->setChecked(true);
        EXPECT_EQ(interval->isEnabled(), c.interval) << c.button;
        EXPECT_EQ(find<QLabel>("lbFullBackupIntervalBefore")->isEnabled(), c.interval) << c.button;
        EXPECT_EQ(keep->isEnabled(), c.copies) << c.button;
        EXPECT_EQ(removeFirst->isEnabled(), c.copies) << c.button;
    }

    auto* week = find<QCheckBox>("chDaysOfWeek");
    auto* month = find<QCheckBox>("chDaysOfMonth");
    auto* picker = addTime.findChild<QTimeEdit*>("dtpTime");
    const auto scheduleEnabled = [&] {
        return find<QListWidget>("lbTimeTable")->isEnabled() && find<QPushButton>("Button4")->isEnabled() &&
               find<QPushButton>("Button5")->isEnabled() && find<QLabel>("lbTimeTableCaption")->isEnabled() &&
               find<QCheckBox>("chShutdownPCInTheEnd")->isEnabled() &&
               find<QCheckBox>("chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed")->isEnabled() &&
               picker->isEnabled();
    };
    EXPECT_FALSE(scheduleEnabled());
    EXPECT_FALSE(picker->isEnabled());
    week->click();
    EXPECT_TRUE(scheduleEnabled());
    EXPECT_TRUE(find<QListWidget>("clDaysOfWeek")->isEnabled());
    month->click();
    EXPECT_FALSE(week->isChecked()) << "the boxes exclude each other";
    EXPECT_FALSE(find<QListWidget>("clDaysOfWeek")->isEnabled());
    EXPECT_TRUE(find<QListWidget>("clDaysOfMonth")->isEnabled());
    EXPECT_TRUE(scheduleEnabled());
    month->click();
    EXPECT_FALSE(scheduleEnabled());
    EXPECT_FALSE(find<QListWidget>("clDaysOfMonth")->isEnabled());
}

TEST_F(FilesWizardTest, TheTimetableStaysSortedWithoutDuplicates)
{
    goToSchedulePage();
    find<QCheckBox>("chDaysOfWeek")->click();
    for (const QTime& time : {QTime(8, 0), QTime(20, 0), QTime(12, 0), QTime(6, 59, 59)})
        addTimeThroughDialog(time);
    EXPECT_EQ(timetable(), QStringList({"06:59:59", "08:00:00", "12:00:00", "20:00:00"}));
    EXPECT_EQ(takeShownTexts(), QStringList());

    addTimeThroughDialog(QTime(8, 0));
    EXPECT_EQ(takeShownTexts(), QStringList({"Record already exists"}));
    addTimeThroughDialog(QTime(9, 0), false);
    EXPECT_EQ(timetable().size(), 4) << "closing the window adds nothing";

    // The add-time window hangs below "+" with the right edges aligned.
    auto* plus = find<QPushButton>("Button4");
    const QPoint corner = plus->mapToGlobal(QPoint(plus->width(), plus->height()));
    EXPECT_EQ(addTime.frameGeometry().right() + 1, corner.x());
    EXPECT_EQ(addTime.frameGeometry().top(), corner.y());

    auto* list = find<QListWidget>("lbTimeTable");
    list->item(1)->setSelected(true);
    list->item(3)->setSelected(true);
    find<QPushButton>("Button5")->click();
    EXPECT_EQ(timetable(), QStringList({"06:59:59", "12:00:00"}));
}

TEST_F(FilesWizardTest, SaveChecksTheScheduleAndGivesItsResult)
{
    // With days chosen: a day and a start time are needed.
    whenShown(wizard, [this] {
        goToSchedulePage();
        auto* done = find<QToolButton>("btDone");
        find<QCheckBox>("chDaysOfWeek")->click();
        done->click();
        EXPECT_EQ(takeShownTexts(), QStringList({"Please specify at least one day."}));
        find<QListWidget>("clDaysOfWeek")->item(6)->setCheckState(Qt::Checked);
        done->click();
        EXPECT_EQ(takeShownTexts(), QStringList({"Please add at least one record to the timetable."}));
        EXPECT_TRUE(wizard.isVisible());
        addTimeThroughDialog(QTime(7, 0));
        find<QAction>("acSaveAndRun")->trigger();
    });
    EXPECT_EQ(wizard.ShowModalResult(), 2);
    TJob_FilesAndFolders job("Docs");
    wizard.ControlsToJob(job);
    EXPECT_EQ(job.SchedulingSettings.SchedulingType, stDaysOfWeek);
    EXPECT_TRUE(job.SchedulingSettings.DaysOfWeek[7]);
    EXPECT_EQ(job.SchedulingSettings.TimeTable, QStringList({"07:00:00"}));

    // Without days nothing about the schedule is checked, whatever the timetable holds.
    wizard.ClearControls();
    whenShown(wizard, [this] {
        goToSchedulePage();
        find<QToolButton>("btDone")->click();
    });
    EXPECT_EQ(wizard.ShowModalResult(), 1);
    EXPECT_EQ(takeShownTexts(), QStringList());

    wizard.ClearControls();
    whenShown(wizard, [this] {
        goToSchedulePage();
        find<QAction>("acSave")->trigger();
    });
    EXPECT_EQ(wizard.ShowModalResult(), 1);

    whenShown(wizard, [this] { find<QPushButton>("btCancel")->click(); });
    EXPECT_EQ(wizard.ShowModalResult(), 0);
    EXPECT_EQ(find<QToolButton>("btDone")->menu()->actions().at(1)->text(), "Save && Run");
}

TEST_F(FilesWizardTest, TheViewAsListLinkCountsAndOpensTheList)
{
    tree().SetCheckedPaths({dir.filePath("Work/*"), dir.filePath("notes.txt")});
    whenShown(wizard, [this] {
        auto* link = find<QLabel>("Label21");
        EXPECT_EQ(link->text(), "View as list (2)");
        EXPECT_TRUE(link->font().underline());
        QString listed;
        whenShown(listViewer, [&] {
            listed = listViewer.findChild<QPlainTextEdit*>("Memo1")->toPlainText();
            listViewer.findChild<QPushButton*>("btOK")->click();
        });
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(listed, dir.filePath("Work") + "\n" + dir.filePath("notes.txt"));
        find<QPushButton>("btCancel")->click();
    });
    EXPECT_EQ(wizard.ShowModalResult(), 0);
}

} // namespace
