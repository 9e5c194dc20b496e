#include "ui/wizards/uWizard_FilesBackup_BackupType.h"

#include "i18n/Translate.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* NewCountBox(QWidget* parent, const QString& name)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    // Any stored value is shown as it is, so that saving the job does not change it unasked.
    box->setRange(0, 99999);
    box->setFixedWidth(80);
    return box;
}

} // namespace

TFilesWizardBackupTypePage::TFilesWizardBackupTypePage(QWidget* parent)
    : QWidget(parent), rbSyncBackup(new QRadioButton(this)), rbFullBackup(new QRadioButton(this)),
      rbIncrementalBackup(new QRadioButton(this)), lbFullBackupIntervalBefore(new QLabel(this)),
      sedFullBackupInterval(NewCountBox(this, QStringLiteral("sedFullBackupInterval"))),
      lbFullBackupIntervalAfter(new QLabel(this)), lbNumberFullCopiesToKeepBefore(new QLabel(this)),
      sedNumberFullCopiesToKeep(NewCountBox(this, QStringLiteral("sedNumberFullCopiesToKeep"))),
      lbNumberFullCopiesToKeepAfter(new QLabel(this)), CheckBox1(new QCheckBox(this))
{
    setObjectName(QStringLiteral("cardWizard_BackupType"));
    rbSyncBackup->setObjectName(QStringLiteral("rbSyncBackup"));
    rbFullBackup->setObjectName(QStringLiteral("rbFullBackup"));
    rbIncrementalBackup->setObjectName(QStringLiteral("rbIncrementalBackup"));
    lbFullBackupIntervalBefore->setObjectName(QStringLiteral("lbFullBackupIntervalBefore"));
    lbFullBackupIntervalAfter->setObjectName(QStringLiteral("lbFullBackupIntervalAfter"));
    lbNumberFullCopiesToKeepBefore->setObjectName(QStringLiteral("lbNumberFullCopiesToKeepBefore"));
    lbNumberFullCopiesToKeepAfter->setObjectName(QStringLiteral("lbNumberFullCopiesToKeepAfter"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    lbFullBackupIntervalBefore->setBuddy(sedFullBackupInterval);
    lbNumberFullCopiesToKeepBefore->setBuddy(sedNumberFullCopiesToKeep);

    auto* counts = new QGridLayout;
    counts->setContentsMargins(24, 4, 0, 0);
    counts->addWidget(lbFullBackupIntervalBefore, 0, 0);
    counts->addWidget(sedFullBackupInterval, 0, 1);
    counts->addWidget(lbFullBackupIntervalAfter, 0, 2);
    counts->addWidget(lbNumberFullCopiesToKeepBefore, 1, 0);
    counts->addWidget(sedNumberFullCopiesToKeep, 1, 1);
    counts->addWidget(lbNumberFullCopiesToKeepAfter, 1, 2);
    counts->addWidget(CheckBox1, 2, 0, 1, 3);
    counts->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rbSyncBackup);
    layout->addWidget(rbFullBackup);
    layout->addWidget(rbIncrementalBackup);
    layout->addSpacing(12);
    layout->addLayout(counts);
    layout->addStretch();

    for (QRadioButton* button : {rbSyncBackup, rbFullBackup, rbIncrementalBackup})
        connect(button, &QRadioButton::toggled, this, &TFilesWizardBackupTypePage::ApplyBackupTypeEnabling);
}

void TFilesWizardBackupTypePage::TranslateCaptions()
{
    rbSyncBackup->setText(Translate(
        QStringLiteral("Mirror (update files in destination to maintain a mirror copy of the sources)")));
    rbFullBackup->setText(Translate(QStringLiteral("Full (create full copy of the sources every time)")));
    rbIncrementalBackup->setText(Translate(
        QStringLiteral("Incremental (copy new and modified files && folders since previous backup)")));
    lbFullBackupIntervalBefore->setText(Translate(QStringLiteral("Create full copy after every ")));
    lbFullBackupIntervalAfter->setText(Translate(QStringLiteral("increments")));
    lbNumberFullCopiesToKeepBefore->setText(Translate(QStringLiteral("To save space on device, keep only")));
    lbNumberFullCopiesToKeepAfter->setText(Translate(QStringLiteral("last full copies")));
    CheckBox1->setText(Translate(QStringLiteral("Remove old copies BEFORE starting new backup")));
}

void TFilesWizardBackupTypePage::Clear()
{
    rbSyncBackup->setChecked(true);
    sedFullBackupInterval->setValue(5);
    sedNumberFullCopiesToKeep->setValue(10);
    CheckBox1->setChecked(false);
    ApplyBackupTypeEnabling();
}

void TFilesWizardBackupTypePage::Load(const TBackupSettings& backup)
{
    (backup.BackupType == btSync   ? rbSyncBackup
     : backup.BackupType == btFull ? rbFullBackup
                                   : rbIncrementalBackup)
        ->setChecked(true);
    sedFullBackupInterval->setValue(backup.PerformFullBackup_EveryCopies);
    sedNumberFullCopiesToKeep->setValue(backup.NumberFullCopiesToKeep);
    CheckBox1->setChecked(backup.RemoveOldBackupsBeforeStartingNewBackup);
    ApplyBackupTypeEnabling();
}

void TFilesWizardBackupTypePage::Save(TBackupSettings& backup) const
{
    backup.BackupType = rbSyncBackup->isChecked() ? btSync : rbFullBackup->isChecked() ? btFull : btInc;
    backup.PerformFullBackup_EveryCopies = sedFullBackupInterval->value();
    backup.NumberFullCopiesToKeep = sedNumberFullCopiesToKeep->value();
    backup.RemoveOldBackupsBeforeStartingNewBackup = CheckBox1->isChecked();
}

void TFilesWizardBackupTypePage::ApplyBackupTypeEnabling()
{
    const bool incremental = rbIncrementalBackup->isChecked();
    const bool copies = !rbSyncBackup->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{lbFullBackupIntervalBefore, sedFullBackupInterval,
                                                            lbFullBackupIntervalAfter})
        control->setEnabled(incremental);
    for (QWidget* control :
         std::initializer_list<QWidget*>{lbNumberFullCopiesToKeepBefore, sedNumberFullCopiesToKeep,
                                         lbNumberFullCopiesToKeepAfter, CheckBox1})
        control->setEnabled(copies);
}
