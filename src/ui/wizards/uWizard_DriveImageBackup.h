#pragma once
// The three-page wizard in which the user creates or edits a drive image job: the volumes to image,
// where the images go, and when the job runs.
#include <QDialog>

class TfrmAddTime;
class TJob_DriveImage;

class TfrmWizard_DriveImageBackup : public QDialog
{
    Q_OBJECT
public:
    TfrmWizard_DriveImageBackup(TfrmAddTime& addTime, QWidget* parent = nullptr);
    ~TfrmWizard_DriveImageBackup() override;
    Q_DISABLE_COPY_MOVE(TfrmWizard_DriveImageBackup)

    // Prepares the wizard for a new job.
    void ClearControls();
    // Prepares the wizard for editing `job`.
    void JobToControls(const TJob_DriveImage& job);
    // Writes the controls into `job`.
    void ControlsToJob(TJob_DriveImage& job);

    bool EditingJob = false;

    // Shows the wizard modally: 0 cancelled, 1 "Save", 2 "Save && Run".
    int ShowModalResult();

private:
    TfrmAddTime& addTime;
    int modalResult = 0;
};
