#pragma once
// The three-page wizard in which the user creates or edits a drive image job: the volumes to image,
// where the images go, and when the job runs. One instance lives for the life of the program; the
// caller prepares it (ClearControls, and JobToControls for an edit), sets the caption, shows it and,
// on 1 or 2, calls ControlsToJob and saves the job.
#include <QDialog>

class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;
class TDriveImageDestinationPage;
class TDriveList;
class TfrmAddTime;
class TfrmPassword;
class TJob_DriveImage;
class TWizardSchedulePage;

class TfrmWizard_DriveImageBackup : public QDialog
{
    Q_OBJECT
public:
    // `passwordDialog` is the program's set-password dialog; without one the wizard keeps its own.
    TfrmWizard_DriveImageBackup(TfrmAddTime& addTime, QWidget* parent = nullptr,
                                TfrmPassword* passwordDialog = nullptr);
    ~TfrmWizard_DriveImageBackup() override;
    Q_DISABLE_COPY_MOVE(TfrmWizard_DriveImageBackup)

    // Prepares the wizard for a new job.
    void ClearControls();
    // Prepares the wizard for editing `job`. Drives of the job that are not mounted now stay checked.
    void JobToControls(const TJob_DriveImage& job);
    // Writes the controls into `job`; the schedule's modification time becomes now.
    void ControlsToJob(TJob_DriveImage& job);

    // Set by the main window while an existing job is edited; cleared by ClearControls.
    bool EditingJob = false;

    // Shows the wizard modally: 0 cancelled, 1 "Save", 2 "Save && Run".
    int ShowModalResult();

private:
    enum TPage
    {
        pgSources = 0,
        pgDestination = 1,
        pgScheduler = 2
    };

    void FormShow();
    void ShowPage(int index);
    void btNextClick();
    void btBackClick();
    void btDoneClick(int result);
    bool CheckCurrentPage();
    void showPageTitle();

    int resultCode = 0;

    QLabel* lbPageTitle;
    QStackedWidget* cpWizard;
    QWidget* cardWizard_Sources;
    TDriveList* JamDriveList1;
    TDriveImageDestinationPage* cardWizard_Destination;
    TWizardSchedulePage* cardWizard_Scheduler;
    QPushButton* btBack;
    QPushButton* btNext;
    QToolButton* btDone;
    QPushButton* btCancel;
    QAction* acSave;
    QAction* acSaveAndRun;
};
