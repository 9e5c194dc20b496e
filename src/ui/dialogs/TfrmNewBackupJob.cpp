#include "ui/dialogs/TfrmNewBackupJob.h"

#include "i18n/Translate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

TfrmNewBackupJob::TfrmNewBackupJob(QWidget* parent)
    : QDialog(parent), lbJobName(new QLabel(this)), edJobName(new QLineEdit(this)),
      lbBackupType(new QLabel(this)), rbFilesAndFolders(new QRadioButton(this)),
      rbDriveBackup(new QRadioButton(this)), btOK(new QPushButton(this)), btCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmNewBackupJob"));
    lbJobName->setObjectName(QStringLiteral("lbJobName"));
    edJobName->setObjectName(QStringLiteral("edJobName"));
    lbBackupType->setObjectName(QStringLiteral("lbBackupType"));
    rbFilesAndFolders->setObjectName(QStringLiteral("rbFilesAndFolders"));
    rbDriveBackup->setObjectName(QStringLiteral("rbDriveBackup"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    lbJobName->setBuddy(edJobName);

    btOK->setDefault(true);
    btCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbJobName);
    layout->addWidget(edJobName);
    layout->addSpacing(8);
    layout->addWidget(lbBackupType);
    layout->addWidget(rbFilesAndFolders);
    layout->addWidget(rbDriveBackup);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edJobName->setMinimumWidth(420);

    connect(edJobName, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmNewBackupJob::ShowModalResult()
{
    FormShow();
    return exec() == QDialog::Accepted ? 1 : 0;
}

QString TfrmNewBackupJob::JobName() const
{
    return edJobName->text();
}

bool TfrmNewBackupJob::DriveImageChosen() const
{
    return rbDriveBackup->isChecked();
}

void TfrmNewBackupJob::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once the window is active the name takes the focus, whatever had it last time.
    QTimer::singleShot(0, edJobName, [this] { edJobName->setFocus(); });
}

void TfrmNewBackupJob::FormShow()
{
    setResult(0);
    setWindowTitle(Translate(QStringLiteral("New Backup Job")));
    lbJobName->setText(Translate(QStringLiteral("Specify name for backup job:")));
    lbBackupType->setText(Translate(QStringLiteral("Select backup type:")));
    rbFilesAndFolders->setText(Translate(QStringLiteral("Files and folders (backup selected paths)")));
    rbDriveBackup->setText(Translate(QStringLiteral(
        "Drive image (backup everything including the operating system, files, system settings etc).")));
    btOK->setText(Translate(QStringLiteral("OK")));
    btCancel->setText(Translate(QStringLiteral("Cancel")));

    edJobName->clear();
    rbFilesAndFolders->setChecked(true);
    edJobName->setFocus();
}
