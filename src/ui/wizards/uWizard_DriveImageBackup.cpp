#include "ui/wizards/uWizard_DriveImageBackup.h"

#include "jobs/uJob_DriveImage.h"

TfrmWizard_DriveImageBackup::TfrmWizard_DriveImageBackup(TfrmAddTime& addTime, QWidget* parent)
    : QDialog(parent), addTime(addTime)
{
    setObjectName(QStringLiteral("frmWizard_DriveImageBackup"));
}

TfrmWizard_DriveImageBackup::~TfrmWizard_DriveImageBackup() = default;

void TfrmWizard_DriveImageBackup::ClearControls() {}

void TfrmWizard_DriveImageBackup::JobToControls(const TJob_DriveImage&) {}

void TfrmWizard_DriveImageBackup::ControlsToJob(TJob_DriveImage&) {}

int TfrmWizard_DriveImageBackup::ShowModalResult()
{
    modalResult = 0;
    exec();
    return modalResult;
}
