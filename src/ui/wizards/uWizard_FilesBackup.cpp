#include "ui/wizards/uWizard_FilesBackup.h"

#include "jobs/uJob_FilesAndFolders.h"

TfrmWizard_FilesBackup::TfrmWizard_FilesBackup(TfrmAddTime& addTime, TfrmListViewer& listViewer,
                                               QWidget* parent)
    : QDialog(parent), listViewer(listViewer), lbPageTitle(nullptr), cpWizard(nullptr),
      cardWizard_Sources(nullptr), cardWizard_Destination(nullptr), cardWizard_BackupType(nullptr),
      cardWizard_Scheduler(nullptr), btBack(nullptr), btNext(nullptr), btDone(nullptr), btCancel(nullptr)
{
    (void)addTime;
    setObjectName(QStringLiteral("frmWizard_FilesBackup"));
}

TfrmWizard_FilesBackup::~TfrmWizard_FilesBackup() = default;

void TfrmWizard_FilesBackup::ClearControls()
{
    EditingJob = false;
}

void TfrmWizard_FilesBackup::JobToControls(const TJob_FilesAndFolders& job)
{
    (void)job;
}

void TfrmWizard_FilesBackup::ControlsToJob(TJob_FilesAndFolders& job)
{
    (void)job;
}

QString TfrmWizard_FilesBackup::GetDuplicatedNamesOfFoldersOrFiles() const
{
    return {};
}

int TfrmWizard_FilesBackup::ShowModalResult()
{
    resultCode = 0;
    exec();
    return resultCode;
}

void TfrmWizard_FilesBackup::FormShow() {}
void TfrmWizard_FilesBackup::ShowPage(int) {}
void TfrmWizard_FilesBackup::btNextClick() {}
void TfrmWizard_FilesBackup::btBackClick() {}
void TfrmWizard_FilesBackup::btDoneClick(int code)
{
    resultCode = code;
}
bool TfrmWizard_FilesBackup::CheckCurrentPage()
{
    return true;
}
