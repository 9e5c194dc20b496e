#include "ui/wizards/uWizard_DriveImageBackup.h"

#include "base/DateTime.h"
#include "i18n/Translate.h"
#include "jobs/JobSettingsChecks.h"
#include "jobs/uJob_DriveImage.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/DriveList.h"
#include "ui/wizards/DriveImageDestinationPage.h"
#include "ui/wizards/WizardSchedulePage.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kPageTitles[] = {"What do you want to backup?", "Where to store your backup?",
                                   "When to start backup?"};

QFrame* newLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TfrmWizard_DriveImageBackup::TfrmWizard_DriveImageBackup(TfrmAddTime& addTime, QWidget* parent,
                                                         TfrmPassword* passwordDialog)
    : QDialog(parent), lbPageTitle(new QLabel(this)), cpWizard(new QStackedWidget(this)),
      cardWizard_Sources(new QWidget(cpWizard)), JamDriveList1(new TDriveList(cardWizard_Sources)),
      cardWizard_Destination(new TDriveImageDestinationPage(
          passwordDialog ? *passwordDialog : *new TfrmPassword(this), cpWizard)),
      cardWizard_Scheduler(new TWizardSchedulePage(addTime, cpWizard)), btBack(new QPushButton(this)),
      btNext(new QPushButton(this)), btDone(new QToolButton(this)), btCancel(new QPushButton(this)),
      acSave(new QAction(this)), acSaveAndRun(new QAction(this))
{
    setObjectName(QStringLiteral("frmWizard_DriveImageBackup"));
    lbPageTitle->setObjectName(QStringLiteral("lbPageTitle"));
    cpWizard->setObjectName(QStringLiteral("cpWizard"));
    cardWizard_Sources->setObjectName(QStringLiteral("cardWizard_Sources"));
    JamDriveList1->setObjectName(QStringLiteral("JamDriveList1"));
    btBack->setObjectName(QStringLiteral("btBack"));
    btNext->setObjectName(QStringLiteral("btNext"));
    btDone->setObjectName(QStringLiteral("btDone"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    acSave->setObjectName(QStringLiteral("acSave"));
    acSaveAndRun->setObjectName(QStringLiteral("acSaveAndRun"));

    QFont titleFont = lbPageTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    lbPageTitle->setFont(titleFont);

    auto* sourcesLayout = new QVBoxLayout(cardWizard_Sources);
    sourcesLayout->addWidget(JamDriveList1);
    cpWizard->addWidget(cardWizard_Sources);
    cpWizard->addWidget(cardWizard_Destination);
    cpWizard->addWidget(cardWizard_Scheduler);

    // "Save" is a split button: its face saves, its menu also offers to save and run at once.
    auto* doneMenu = new QMenu(btDone);
    doneMenu->addAction(acSave);
    doneMenu->addAction(acSaveAndRun);
    btDone->setMenu(doneMenu);
    btDone->setPopupMode(QToolButton::MenuButtonPopup);
    btDone->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btDone->setMinimumHeight(btNext->sizeHint().height());
    btDone->setMinimumWidth(btNext->sizeHint().width() + 16);
    btNext->setDefault(true);
    for (QPushButton* button : {btBack, btCancel})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btBack);
    buttons->addWidget(btNext);
    buttons->addSpacing(12);
    buttons->addWidget(btDone);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbPageTitle);
    layout->addWidget(newLine(this));
    layout->addWidget(cpWizard, 1);
    layout->addWidget(newLine(this));
    layout->addLayout(buttons);
    resize(640, 440);

    connect(btBack, &QPushButton::clicked, this, &TfrmWizard_DriveImageBackup::btBackClick);
    connect(btNext, &QPushButton::clicked, this, &TfrmWizard_DriveImageBackup::btNextClick);
    connect(btDone, &QToolButton::clicked, this, [this] { btDoneClick(1); });
    connect(acSave, &QAction::triggered, this, [this] { btDoneClick(1); });
    connect(acSaveAndRun, &QAction::triggered, this, [this] { btDoneClick(2); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmWizard_DriveImageBackup::~TfrmWizard_DriveImageBackup() = default;

void TfrmWizard_DriveImageBackup::ClearControls()
{
    EditingJob = false;
    cardWizard_Scheduler->ClearControls();
    cardWizard_Destination->ClearControls();
    JamDriveList1->Refresh();
    ShowPage(pgSources);
}

void TfrmWizard_DriveImageBackup::JobToControls(const TJob_DriveImage& job)
{
    JamDriveList1->Refresh();
    JamDriveList1->UncheckAll();
    JamDriveList1->CheckDrives(job.Settings.SourceDrivesList);
    const bool network = job.DestinationType == dtNetwork;
    cardWizard_Destination->DestinationToControls(
        job.DestinationType, job.DestinationPath, network ? job.Destination_NetworkUsername : QString(),
        network ? job.Destination_NetworkPassword : QString(), job.Settings.AutocleanOldBackups,
        job.Settings.NumberOfBackupVersionsToKeep);
    cardWizard_Scheduler->ScheduleToControls(job.SchedulingSettings);
    ShowPage(pgSources);
}

void TfrmWizard_DriveImageBackup::ControlsToJob(TJob_DriveImage& job)
{
    job.Settings.SourceDrivesList = JamDriveList1->CheckedDrives();
    job.DestinationType = cardWizard_Destination->DestinationType();
    job.DestinationPath = cardWizard_Destination->DestinationPath();
    if (job.DestinationType == dtNetwork) {
        job.Destination_NetworkUsername = cardWizard_Destination->NetworkUsername();
        job.Destination_NetworkPassword = cardWizard_Destination->NetworkPassword();
    }
    job.Settings.AutocleanOldBackups = cardWizard_Destination->KeepBackupVersions();
    job.Settings.NumberOfBackupVersionsToKeep = cardWizard_Destination->BackupVersionsToKeep();
    job.NewSubfolderIsCreatedForEachBackup = true;
    cardWizard_Scheduler->ControlsToSchedule(job.SchedulingSettings);
    job.SchedulingSettings.LastModificationDateTime = Now();
}

int TfrmWizard_DriveImageBackup::ShowModalResult()
{
    FormShow();
    exec();
    return resultCode;
}

void TfrmWizard_DriveImageBackup::FormShow()
{
    resultCode = 0;
    btBack->setText(Translate(QStringLiteral("Back")));
    btNext->setText(Translate(QStringLiteral("Next")));
    btDone->setText(Translate(QStringLiteral("Save")));
    acSave->setText(Translate(QStringLiteral("Save")));
    acSaveAndRun->setText(Translate(QStringLiteral("Save && Run")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    JamDriveList1->SetCaptions();
    cardWizard_Destination->SetCaptions();
    cardWizard_Scheduler->SetCaptions();
    showPageTitle();
}

void TfrmWizard_DriveImageBackup::showPageTitle()
{
    lbPageTitle->setText(Translate(QLatin1String(kPageTitles[cpWizard->currentIndex()])));
}

void TfrmWizard_DriveImageBackup::ShowPage(int index)
{
    cpWizard->setCurrentIndex(index);
    const int last = cpWizard->count() - 1;
    btBack->setEnabled(index > 0);
    btNext->setEnabled(index < last);
    btDone->setEnabled(index == last);
    showPageTitle();
}

bool TfrmWizard_DriveImageBackup::CheckCurrentPage()
{
    TSettingsCheck check;
    if (cpWizard->currentIndex() == pgSources)
        check = CheckDriveImageSources(JamDriveList1->CheckedDrives());
    else if (cpWizard->currentIndex() == pgDestination)
        check = cardWizard_Destination->DestinationType() == dtNetwork
                    ? CheckNetworkDestination(cardWizard_Destination->UncPath())
                    : CheckDiskChosen(cardWizard_Destination->ChosenDisk());
    if (!check.Refused())
        return true;
    ShowMessageDialog(check.Message, check.IsError ? mtError : mtWarning, mbOK, 0, this);
    return false;
}

void TfrmWizard_DriveImageBackup::btNextClick()
{
    if (cpWizard->currentIndex() >= cpWizard->count() - 1 || !CheckCurrentPage())
        return;
    ShowPage(cpWizard->currentIndex() + 1);
}

void TfrmWizard_DriveImageBackup::btBackClick()
{
    if (cpWizard->currentIndex() > 0)
        ShowPage(cpWizard->currentIndex() - 1);
}

void TfrmWizard_DriveImageBackup::btDoneClick(int result)
{
    if (cpWizard->currentIndex() != pgScheduler)
        return;
    const TSettingsCheck check = CheckSchedule(cardWizard_Scheduler->Schedule());
    if (check.Refused()) {
        ShowMessageDialog(check.Message, check.IsError ? mtError : mtWarning, mbOK, 0, this);
        return;
    }
    resultCode = result;
    accept();
}
