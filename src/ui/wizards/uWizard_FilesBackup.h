#pragma once
// The wizard in which the user creates or edits a files-and-folders job: what to back up, where, how and
// when. One instance lives for the life of the program; the caller prepares it (ClearControls, and
// JobToControls for an edit), sets the caption, shows it and, on 1 or 2, calls ControlsToJob and saves.
#include <QDialog>
#include <QString>

class QAction;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;
class TJob_FilesAndFolders;
class TfrmAddTime;
class TfrmListViewer;
class TfrmPassword;
class TFilesWizardSourcesPage;
class TFilesWizardDestinationPage;
class TFilesWizardBackupTypePage;
class TWizardSchedulePage;

class TfrmWizard_FilesBackup : public QDialog
{
public:
    TfrmWizard_FilesBackup(TfrmAddTime& addTime, TfrmListViewer& listViewer, QWidget* parent = nullptr);
    ~TfrmWizard_FilesBackup() override;
    Q_DISABLE_COPY_MOVE(TfrmWizard_FilesBackup)

    // Every control in the state of a new job; the first page.
    void ClearControls();
    // The job's settings in the controls (sources that do not exist now are left out); the first page.
    void JobToControls(const TJob_FilesAndFolders& job);
    // The controls into the job; the schedule's modification time becomes now.
    void ControlsToJob(TJob_FilesAndFolders& job);

    // The set-password dialog the program shares between its windows; without one the wizard keeps
    // its own.
    void SetPasswordDialog(TfrmPassword& dialog);

    // Empty, or the later and the earlier of the first two checked sources whose names clash, joined
    // by CR LF.
    QString GetDuplicatedNamesOfFoldersOrFiles() const;

    // Set by the main window while an existing job is edited; cleared by ClearControls.
    bool EditingJob = false;

    // Shows the wizard modally: 0 cancelled, 1 "Save", 2 "Save && Run".
    int ShowModalResult();

private:
    enum TPage
    {
        pgSources = 0,
        pgDestination = 1,
        pgBackupType = 2,
        pgScheduler = 3
    };

    void FormShow();
    void TranslateCaptions();
    void ShowPage(int index);
    void btNextClick();
    void btBackClick();
    void btDoneClick(int code);

    int resultCode = 0;

    QLabel* lbPageTitle;
    QStackedWidget* cpWizard;
    TFilesWizardSourcesPage* cardWizard_Sources;
    TFilesWizardDestinationPage* cardWizard_Destination;
    TFilesWizardBackupTypePage* cardWizard_BackupType;
    TWizardSchedulePage* cardWizard_Scheduler;
    QPushButton* btBack;
    QPushButton* btNext;
    QToolButton* btDone;
    QAction* acSave;
    QAction* acSaveAndRun;
    QPushButton* btCancel;
};
