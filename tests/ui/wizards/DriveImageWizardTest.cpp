// The drive image wizard: its new-job state, the page checks, saving, and the job round trip.
#include "base/DateTime.h"
#include "jobs/uJob_DriveImage.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmAddTime.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/DriveList.h"
#include "ui/widgets/FolderChooser.h"
#include "ui/wizards/uWizard_DriveImageBackup.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `steps` once `dialog` is the active modal window.
void whenShown(QWidget& dialog, std::function<void()> steps)
{
    QTimer::singleShot(0, [&dialog, steps] {
        ASSERT_TRUE(QTest::qWaitFor([&dialog] { return QApplication::activeModalWidget() == &dialog; }));
        steps();
    });
}

class DriveImageWizardTest : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        MessageDialogHook::answerAll(mrOk);
        FolderChooserHook::clearAnswers();
        wizard.ClearControls();
    }
    void TearDown() override
    {
        MessageDialogHook::clearAnswers();
        FolderChooserHook::clearAnswers();
    }

    template <class T> T* child(const char* name)
    {
        T* found = wizard.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    int page() { return child<QStackedWidget>("cpWizard")->currentIndex(); }
    QStringList shownTexts()
    {
        QStringList texts;
        for (const auto& shown : MessageDialogHook::shown())
            texts.append(shown.Text);
        MessageDialogHook::clearShown();
        return texts;
    }
    void checkDayOfWeek(int row)
    {
        child<QCheckBox>("chDaysOfWeek")->click();
        child<QListWidget>("clDaysOfWeek")->item(row)->setCheckState(Qt::Checked);
    }
    // Goes to the schedule page with a drive and a disk chosen.
    void toSchedulePage()
    {
        child<TDriveList>("JamDriveList1")->CheckDrives({"/"});
        child<QPushButton>("btNext")->click();
        child<TDriveComboBox>("cbLocalExtDrive")->ChooseDrive("/media/backup");
        child<QPushButton>("btNext")->click();
        ASSERT_EQ(page(), 2) << shownTexts().join('|').toStdString();
    }

    TfrmAddTime addTime;
    TfrmPassword password;
    TfrmWizard_DriveImageBackup wizard{addTime, nullptr, &password};
};

TEST_F(DriveImageWizardTest, ANewJobStartsOnTheFirstPageWithTheDefaults)
{
    wizard.EditingJob = true;
    wizard.ClearControls();
    EXPECT_FALSE(wizard.EditingJob);
    EXPECT_EQ(page(), 0);
    EXPECT_FALSE(child<QPushButton>("btBack")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btNext")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("btDone")->isEnabled());
    EXPECT_TRUE(child<TDriveList>("JamDriveList1")->CheckedDrives().isEmpty());

    EXPECT_TRUE(child<QRadioButton>("rbExternalDevice")->isChecked());
    EXPECT_TRUE(child<TDriveComboBox>("cbLocalExtDrive")->isEnabled());
    EXPECT_TRUE(child<TDriveComboBox>("cbLocalExtDrive")->ChosenDrive().isEmpty());
    for (const char* name : {"edUNCPath", "edNetworkUsername", "btChooseNetworkPath", "btSetPassword",
                             "lbPasswordStatus", "lbUNCPath", "lbNetworkUsername", "lbNetworkPassword"})
        EXPECT_FALSE(child<QWidget>(name)->isEnabled()) << name;
    EXPECT_EQ(child<QLineEdit>("edUNCPath")->text(), "");
    EXPECT_EQ(child<QLineEdit>("edNetworkUsername")->text(), "");
    EXPECT_EQ(child<QLabel>("lbPasswordStatus")->text(), "Password is not set");
    EXPECT_FALSE(child<QCheckBox>("chKeepBackupVersions")->isChecked());
    EXPECT_EQ(child<QLineEdit>("edKeepBackupVersions")->text(), "3");
    EXPECT_FALSE(child<QLineEdit>("edKeepBackupVersions")->isEnabled());

    EXPECT_FALSE(child<QCheckBox>("chDaysOfWeek")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("chDaysOfMonth")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("chDaysOfMonth")->isVisibleTo(&wizard));
    EXPECT_FALSE(child<QListWidget>("clDaysOfWeek")->isEnabled());
    EXPECT_EQ(child<QListWidget>("lbTimeTable")->count(), 0);
    EXPECT_FALSE(child<QPushButton>("Button4")->isEnabled());
    auto* missed = child<QCheckBox>("chRunJobAsSoonAsPossibleAfterAScheduledStartIsMissed");
    EXPECT_TRUE(missed->isChecked());
    EXPECT_FALSE(missed->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("chShutdownPCInTheEnd")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("chShutdownPCInTheEnd")->isEnabled());
    EXPECT_EQ(addTime.ChosenTime(), QTime(0, 0, 0));
    EXPECT_FALSE(addTime.findChild<QTimeEdit*>("dtpTime")->isEnabled());

    // Unchecked versions box: the job keeps "3" without cleaning; the schedule is disabled.
    child<TDriveList>("JamDriveList1")->CheckDrives({"/"});
    TJob_DriveImage job("Image");
    job.SchedulingSettings.TimeTable = {"01:00:00"};
    const TDateTime before = Now();
    wizard.ControlsToJob(job);
    EXPECT_EQ(job.Settings.SourceDrivesList, QStringList({"/"}));
    EXPECT_FALSE(job.Settings.AutocleanOldBackups);
    EXPECT_EQ(job.Settings.NumberOfBackupVersionsToKeep, "3");
    EXPECT_TRUE(job.NewSubfolderIsCreatedForEachBackup);
    EXPECT_EQ(job.SchedulingSettings.SchedulingType, stDisabled);
    EXPECT_TRUE(job.SchedulingSettings.TimeTable.isEmpty());
    EXPECT_TRUE(job.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed);
    EXPECT_GE(job.SchedulingSettings.LastModificationDateTime, before);
}

TEST_F(DriveImageWizardTest, NextChecksThePageAndStaysOnAFailure)
{
    auto* next = child<QPushButton>("btNext");
    next->click();
    EXPECT_EQ(shownTexts(), QStringList({"Please add one or more sources to the list"}));
    EXPECT_EQ(MessageDialogHook::shown().size(), 0);
    EXPECT_EQ(page(), 0);

    child<TDriveList>("JamDriveList1")->CheckDrives({"/"});
    next->click();
    EXPECT_EQ(page(), 1);
    EXPECT_TRUE(child<QPushButton>("btBack")->isEnabled());

    struct Case
    {
        bool network;
        QString value;
        QString message; // empty: passes
    };
    const Case cases[] = {
        {false, "", "Please choose a disk"},
        {false, "/media/backup", ""},
        {true, "", "Please choose correct UNC-path"},
        {true, "\\", "Please choose correct UNC-path"},
        {true, "//", ""},
    };
    for (const Case& c : cases) {
        if (page() == 2)
            child<QPushButton>("btBack")->click();
        ASSERT_EQ(page(), 1);
        child<QRadioButton>(c.network ? "rbNetworkStorage" : "rbExternalDevice")->click();
        EXPECT_EQ(child<QLineEdit>("edUNCPath")->isEnabled(), c.network);
        EXPECT_EQ(child<TDriveComboBox>("cbLocalExtDrive")->isEnabled(), !c.network);
        if (c.network)
            child<QLineEdit>("edUNCPath")->setText(c.value);
        else
            child<TDriveComboBox>("cbLocalExtDrive")->ChooseDrive(c.value);
        next->click();
        const QStringList shown = shownTexts();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty()) << c.value.toStdString();
            EXPECT_EQ(page(), 2) << c.value.toStdString();
            EXPECT_FALSE(next->isEnabled());
            EXPECT_TRUE(child<QToolButton>("btDone")->isEnabled());
        } else {
            EXPECT_EQ(shown, QStringList({c.message})) << c.value.toStdString();
            EXPECT_EQ(page(), 1);
        }
    }
    EXPECT_EQ(MessageDialogHook::shown().size(), 0);
}

TEST_F(DriveImageWizardTest, SavingChecksTheScheduleAndReportsWhichSaveWasChosen)
{
    toSchedulePage();
    struct Case
    {
        const char* name;
        std::function<void()> setUp;
        QString message;
        int result;
    };
    const Case cases[] = {
        {"week box without a day", [&] { child<QCheckBox>("chDaysOfWeek")->click(); },
         "Please specify at least one day.", 0},
        {"a day without a timetable", [&] { checkDayOfWeek(2); },
         "Please add at least one record to the timetable.", 0},
        {"no schedule at all", [] {}, "", 1},
    };
    for (const Case& c : cases) {
        wizard.ClearControls();
        toSchedulePage();
        c.setUp();
        whenShown(wizard, [&] {
            child<QToolButton>("btDone")->click();
            if (wizard.isVisible())
                child<QPushButton>("btCancel")->click();
        });
        EXPECT_EQ(wizard.ShowModalResult(), c.result) << c.name;
        const QStringList shown = shownTexts();
        EXPECT_EQ(shown, c.message.isEmpty() ? QStringList() : QStringList({c.message})) << c.name;
    }

    // "Save && Run" from the menu, and the button texts set on showing.
    whenShown(wizard, [&] {
        EXPECT_EQ(child<QPushButton>("btNext")->text(), "Next");
        EXPECT_EQ(child<QToolButton>("btDone")->text(), "Save");
        EXPECT_EQ(wizard.findChild<QAction*>("acSaveAndRun")->text(), "Save && Run");
        wizard.findChild<QAction*>("acSaveAndRun")->trigger();
    });
    EXPECT_EQ(wizard.ShowModalResult(), 2);
    whenShown(wizard, [&] { wizard.findChild<QAction*>("acSave")->trigger(); });
    EXPECT_EQ(wizard.ShowModalResult(), 1);
    whenShown(wizard, [&] { child<QPushButton>("btCancel")->click(); });
    EXPECT_EQ(wizard.ShowModalResult(), 0);
}

TEST_F(DriveImageWizardTest, AJobComesBackUnchangedThroughTheControls)
{
    TJob_DriveImage network("Network");
    network.Settings.SourceDrivesList = {"/", "/media/unplugged"};
    network.Settings.AutocleanOldBackups = true;
    network.Settings.NumberOfBackupVersionsToKeep = "12";
    network.DestinationType = dtNetwork;
    network.DestinationPath = "//nas/images/pc";
    network.Destination_NetworkUsername = "anna";
    network.Destination_NetworkPassword = "secret";
    network.SchedulingSettings.SchedulingType = stDaysOfWeek;
    network.SchedulingSettings.DaysOfWeek[1] = true;
    network.SchedulingSettings.DaysOfWeek[7] = true;
    network.SchedulingSettings.DaysOfMonth[31] = true;
    network.SchedulingSettings.TimeTable = {"06:00:00", "18:30:00"};
    network.SchedulingSettings.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed = false;
    network.SchedulingSettings.ShutdownPCInTheEnd = true;

    TJob_DriveImage disk("Disk");
    disk.Settings.SourceDrivesList = {"/home"};
    disk.DestinationPath = "/media/backup";
    disk.Destination_NetworkUsername = "kept";
    disk.Destination_NetworkPassword = "kept too";
    disk.SchedulingSettings.SchedulingType = stDaysOfMonth;
    disk.SchedulingSettings.DaysOfMonth[15] = true;
    disk.SchedulingSettings.TimeTable = {"00:00:01"};

    for (TJob_DriveImage* original : {&network, &disk}) {
        const std::string name = original->stJobName.toStdString();
        wizard.ClearControls();
        wizard.JobToControls(*original);
        EXPECT_EQ(page(), 0) << name;
        EXPECT_FALSE(child<QToolButton>("btDone")->isEnabled()) << name;
        const bool isNetwork = original->DestinationType == dtNetwork;
        EXPECT_EQ(child<QLineEdit>("edUNCPath")->isEnabled(), isNetwork) << name;
        EXPECT_EQ(child<QLineEdit>("edKeepBackupVersions")->isEnabled(),
                  original->Settings.AutocleanOldBackups);
        EXPECT_EQ(child<QLabel>("lbPasswordStatus")->text(),
                  isNetwork ? "Password is set" : "Password is not set");

        TJob_DriveImage copy("Copy");
        copy.Destination_NetworkUsername = "kept";
        copy.Destination_NetworkPassword = "kept too";
        copy.NewSubfolderIsCreatedForEachBackup = false;
        wizard.ControlsToJob(copy);
        EXPECT_EQ(copy.Settings.SourceDrivesList, original->Settings.SourceDrivesList) << name;
        EXPECT_EQ(copy.Settings.AutocleanOldBackups, original->Settings.AutocleanOldBackups) << name;
        EXPECT_EQ(copy.Settings.NumberOfBackupVersionsToKeep,
                  original->Settings.NumberOfBackupVersionsToKeep);
        EXPECT_EQ(copy.DestinationType, original->DestinationType) << name;
        EXPECT_EQ(copy.DestinationPath, original->DestinationPath) << name;
        EXPECT_EQ(copy.Destination_NetworkUsername, original->Destination_NetworkUsername) << name;
        EXPECT_EQ(copy.Destination_NetworkPassword, original->Destination_NetworkPassword) << name;
        EXPECT_TRUE(copy.NewSubfolderIsCreatedForEachBackup);
        const TSchedulingSettings& a = copy.SchedulingSettings;
        const TSchedulingSettings& b = original->SchedulingSettings;
        EXPECT_EQ(a.SchedulingType, b.SchedulingType) << name;
        EXPECT_EQ(a.DaysOfWeek, b.DaysOfWeek) << name;
        EXPECT_EQ(a.DaysOfMonth, b.DaysOfMonth) << name;
        EXPECT_EQ(a.TimeTable, b.TimeTable) << name;
        EXPECT_EQ(a.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed,
                  b.RunJobAsSoonAsPossibleAfterAScheduledStartIsMissed)
            << name;
        EXPECT_EQ(a.ShutdownPCInTheEnd, b.ShutdownPCInTheEnd) << name;
    }
}

TEST_F(DriveImageWizardTest, TheTimetableStaysSortedWithoutDuplicates)
{
    toSchedulePage();
    checkDayOfWeek(0);
    auto* add = child<QPushButton>("Button4");
    auto* timetable = child<QListWidget>("lbTimeTable");
    EXPECT_TRUE(addTime.findChild<QTimeEdit*>("dtpTime")->isEnabled());
    for (const QTime time : {QTime(6, 0), QTime(8, 0), QTime(7, 0), QTime(5, 59, 59), QTime(8, 0)}) {
        whenShown(addTime, [&, time] {
            addTime.findChild<QTimeEdit*>("dtpTime")->setTime(time);
            addTime.findChild<QPushButton*>("btOK")->click();
        });
        add->click();
    }
    QStringList entries;
    for (int row = 0; row < timetable->count(); ++row)
        entries.append(timetable->item(row)->text());
    EXPECT_EQ(entries, QStringList({"05:59:59", "06:00:00", "07:00:00", "08:00:00"}));
    EXPECT_EQ(shownTexts(), QStringList({"Record already exists"}));

    // Closing the add-time window otherwise adds nothing.
    whenShown(addTime, [&] { addTime.reject(); });
    add->click();
    EXPECT_EQ(timetable->count(), 4);

    timetable->item(1)->setSelected(true);
    timetable->item(3)->setSelected(true);
    child<QPushButton>("Button5")->click();
    ASSERT_EQ(timetable->count(), 2);
    EXPECT_EQ(timetable->item(0)->text(), "05:59:59");
    EXPECT_EQ(timetable->item(1)->text(), "07:00:00");

    // Unchecking the only day box disables the timetable again.
    child<QCheckBox>("chDaysOfWeek")->click();
    EXPECT_FALSE(add->isEnabled());
    EXPECT_FALSE(addTime.findChild<QTimeEdit*>("dtpTime")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("chShutdownPCInTheEnd")->isEnabled());
}

TEST_F(DriveImageWizardTest, NetworkFolderAndPasswordComeFromTheirDialogs)
{
    child<QRadioButton>("rbNetworkStorage")->click();
    child<QLineEdit>("edNetworkUsername")->setText("anna");

    auto* setPassword = child<QPushButton>("btSetPassword");
    whenShown(password, [&] {
        password.findChild<QLineEdit*>("Edit1")->setText(" secret ");
        password.findChild<QLineEdit*>("Edit2")->setText("secret");
        password.findChild<QPushButton*>("Button2")->click();
    });
    setPassword->click();
    EXPECT_EQ(child<QLabel>("lbPasswordStatus")->text(), "Password is set");

    FolderChooserHook::answerNext("//nas/images/pc");
    FolderChooserHook::answerNext(QString());
    child<QLineEdit>("edUNCPath")->setText("//old/path");
    child<QPushButton>("btChooseNetworkPath")->click();
    EXPECT_EQ(child<QLineEdit>("edUNCPath")->text(), "//nas/images/pc");
    child<QPushButton>("btChooseNetworkPath")->click();
    EXPECT_EQ(child<QLineEdit>("edUNCPath")->text(), "//nas/images/pc")
        << "a cancelled choice changes nothing";
    const QList<TFolderChooserSettings> asked = FolderChooserHook::asked();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].Title, "Choose a Network folder");
    EXPECT_EQ(asked[0].Prompt, "Choose a Network folder");
    EXPECT_EQ(asked[0].Root, frNetwork);
    EXPECT_TRUE(asked[0].OnlyExistingFolder);
    EXPECT_TRUE(asked[0].StartFolder.isEmpty()) << "a new job's browser starts nowhere";
    EXPECT_EQ(asked[0].Credentials.User, "anna");
    EXPECT_EQ(asked[0].Credentials.Password, "secret");
    EXPECT_EQ(asked[1].StartFolder, "//nas/images/pc") << "then at the server chosen last";

    TJob_DriveImage job("Image");
    wizard.ControlsToJob(job);
    EXPECT_EQ(job.DestinationType, dtNetwork);
    EXPECT_EQ(job.DestinationPath, "//nas/images/pc");
    EXPECT_EQ(job.Destination_NetworkUsername, "anna");
    EXPECT_EQ(job.Destination_NetworkPassword, "secret");

    // Cancelling the password dialog keeps the password; an empty confirmed pair clears it.
    whenShown(password, [&] { password.findChild<QPushButton*>("Button1")->click(); });
    setPassword->click();
    EXPECT_EQ(child<QLabel>("lbPasswordStatus")->text(), "Password is set");
    whenShown(password, [&] { password.findChild<QPushButton*>("Button2")->click(); });
    setPassword->click();
    EXPECT_EQ(child<QLabel>("lbPasswordStatus")->text(), "Password is not set");
}

} // namespace
