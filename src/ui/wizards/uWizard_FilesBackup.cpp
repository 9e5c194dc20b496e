#include "ui/wizards/uWizard_FilesBackup.h"

#include "base/DateTime.h"
#include "i18n/Translate.h"
#include "jobs/JobSettingsChecks.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/wizards/uWizard_FilesBackup_BackupType.h"
#include "ui/wizards/uWizard_FilesBackup_Destination.h"
#include "ui/wizards/uWizard_FilesBackup_Sources.h"
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
                                   "How do you want to backup?", "When to start backup?"};

} // namespace

TfrmWizard_FilesBackup::TfrmWizard_FilesBackup(TfrmAddTime& addTime, TfrmListViewer& listViewer,
                                               QWidget* parent)
    : QDialog(parent), lbPageTitle(new QLabel(this)), cpWizard(new QStackedWidget(this)),
      cardWizard_Sources(new TFilesWizardSourcesPage(listViewer, cpWizard)),
      cardWizard_Destination(new TFilesWizardDestinationPage(cpWizard)),
      cardWizard_BackupType(new TFilesWizardBackupTypePage(cpWizard)),
      cardWizard_Scheduler(new TWizardSchedulePage(addTime, cpWizard)), btBack(new QPushButton(this)),
      btNext(new QPushButton(this)), btDone(new QToolButton(this)), acSave(new QAction(this)),
      acSaveAndRun(new QAction(this)), btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmWizard_FilesBackup"));
    lbPageTitle->setObjectName(QStringLiteral("lbPageTitle"));
    cpWizard->setObjectName(QStringLiteral("cpWizard"));
    btBack->setObjectName(QStringLiteral("btBack"));
    btNext->setObjectName(QStringLiteral("btNext"));
    btDone->setObjectName(QStringLiteral("btDone"));
    acSave->setObjectName(QStringLiteral("acSave"));
    acSaveAndRun->setObjectName(QStringLiteral("acSaveAndRun"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    setWindowTitle(QStringLiteral(ZORVAN_APP_TITLE " 1.0"));
    setSizeGripEnabled(true);

    QFont titleFont = lbPageTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    lbPageTitle->setFont(titleFont);
    cpWizard->addWidget(cardWizard_Sources);
    cpWizard->addWidget(cardWizard_Destination);
    cpWizard->addWidget(cardWizard_BackupType);
    cpWizard->addWidget(cardWizard_Scheduler);

    // "Save" itself, or either entry of its menu.
    auto* saveMenu = new QMenu(btDone);
    saveMenu->addAction(acSave);
    saveMenu->addAction(acSaveAndRun);
    btDone->setMenu(saveMenu);
    btDone->setPopupMode(QToolButton::MenuButtonPopup);
    btDone->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btDone->setMinimumSize(btNext->sizeHint());
    btNext->setDefault(true);
    for (QPushButton* button : {btBack, btCancel})
        button->setAutoDefault(false);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btBack);
    buttons->addWidget(btNext);
    buttons->addSpacing(12);
    buttons->addWidget(btDone);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbPageTitle);
    layout->addSpacing(6);
    layout->addWidget(cpWizard, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);
    resize(720, 560);

    connect(btBack, &QPushButton::clicked, this, &TfrmWizard_FilesBackup::btBackClick);
    connect(btNext, &QPushButton::clicked, this, &TfrmWizard_FilesBackup::btNextClick);
    connect(btDone, &QToolButton::clicked, this, [this] { btDoneClick(1); });
    connect(acSave, &QAction::triggered, this, [this] { btDoneClick(1); });
    connect(acSaveAndRun, &QAction::triggered, this, [this] { btDoneClick(2); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    TranslateCaptions();
    ClearControls();
}

TfrmWizard_FilesBackup::~TfrmWizard_FilesBackup() = default;

void TfrmWizard_FilesBackup::SetPasswordDialog(TfrmPassword& dialog)
{
    cardWizard_Destination->SetPasswordDialog(dialog);
}

void TfrmWizard_FilesBackup::ClearControls()
{
    EditingJob = false;
    cardWizard_Sources->Clear();
    cardWizard_Destination->Clear();
    cardWizard_BackupType->Clear();
    cardWizard_Scheduler->ClearControls();
    ShowPage(pgSources);
}

void TfrmWizard_FilesBackup::JobToControls(const TJob_FilesAndFolders& job)
{
    cardWizard_Sources->Load(job.Settings.Sources);
    cardWizard_Destination->Load(job);
    cardWizard_BackupType->Load(job.Settings.Backup);
    cardWizard_Scheduler->ScheduleToControls(job.SchedulingSettings);
    ShowPage(pgSources);
}

void TfrmWizard_FilesBackup::ControlsToJob(TJob_FilesAndFolders& job)
{
    cardWizard_Sources->Save(job.Settings.Sources);
    cardWizard_Destination->Save(job);
    cardWizard_BackupType->Save(job.Settings.Backup);
    job.NewSubfolderIsCreatedForEachBackup = job.Settings.Backup.BackupType != btSync;
    cardWizard_Scheduler->ControlsToSchedule(job.SchedulingSettings);
    job.SchedulingSettings.LastModificationDateTime = Now();
}

QString TfrmWizard_FilesBackup::GetDuplicatedNamesOfFoldersOrFiles() const
{
    return ::GetDuplicatedNamesOfFoldersOrFiles(cardWizard_Sources->CheckedPaths());
}

int TfrmWizard_FilesBackup::ShowModalResult()
{
    FormShow();
    exec();
    return resultCode;
}

void TfrmWizard_FilesBackup::TranslateCaptions()
{
    lbPageTitle->setText(Translate(QString::fromLatin1(kPageTitles[cpWizard->currentIndex()])));
    btBack->setText(Translate(QStringLiteral("Back")));
    btNext->setText(Translate(QStringLiteral("Next")));
    btDone->setText(Translate(QStringLiteral("Save")));
    acSave->setText(Translate(QStringLiteral("Save")));
    acSaveAndRun->setText(Translate(QStringLiteral("Save && Run")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));
    cardWizard_Sources->TranslateCaptions();
    cardWizard_Destination->TranslateCaptions();
    cardWizard_BackupType->TranslateCaptions();
    cardWizard_Scheduler->SetCaptions();
}

void TfrmWizard_FilesBackup::FormShow()
{
    resultCode = 0;
    TranslateCaptions();
}

void TfrmWizard_FilesBackup::ShowPage(int index)
{
    cpWizard->setCurrentIndex(index);
    lbPageTitle->setText(Translate(QString::fromLatin1(kPageTitles[index])));
    btBack->setEnabled(index > 0);
    btNext->setEnabled(index < cpWizard->count() - 1);
    btDone->setEnabled(index == cpWizard->count() - 1);
    btNext->setDefault(index < cpWizard->count() - 1);
}

void TfrmWizard_FilesBackup::btNextClick()
{
    const int page = cpWizard->currentIndex();
    if (page == pgSources && !cardWizard_Sources->CheckBeforeNext())
        return;
    if (page == pgDestination && !cardWizard_Destination->CheckBeforeNext())
        return;
    if (page < cpWizard->count() - 1)
        ShowPage(page + 1);
}

void TfrmWizard_FilesBackup::btBackClick()
{
    if (cpWizard->currentIndex() > 0)
        ShowPage(cpWizard->currentIndex() - 1);
}

void TfrmWizard_FilesBackup::btDoneClick(int code)
{
    if (cpWizard->currentIndex() != pgScheduler)
        return;
    const TSettingsCheck check = CheckSchedule(cardWizard_Scheduler->Schedule());
    if (check.Refused()) {
        ShowMessageDialog(check.Message, mtWarning, mbOK, 0, this);
        return;
    }
    resultCode = code;
    accept();
}
