#include "ui/wizards/uWizard_FilesBackup_Destination.h"

#include "i18n/Translate.h"
#include "jobs/JobSettingsChecks.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/FolderChooser.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The network path a new job starts with: the two slashes every share path begins with.
const QString kEmptyNetworkPath = QStringLiteral("//");

} // namespace

TFilesWizardDestinationPage::TFilesWizardDestinationPage(QWidget* parent)
    : QWidget(parent), rbExternalDevice(new QRadioButton(this)), edExternalPath(new QLineEdit(this)),
      btChooseExternalPath(new QPushButton(this)), rbNetworkStorage(new QRadioButton(this)),
      edNetworkPath(new QLineEdit(this)), btChooseNetworkPath(new QPushButton(this)),
      lbNetworkUsername(new QLabel(this)), edNetworkUsername(new QLineEdit(this)),
      lbNetworkPassword(new QLabel(this)), btSetPassword(new QPushButton(this)), Label12(new QLabel(this))
{
    setObjectName(QStringLiteral("cardWizard_Destination"));
    rbExternalDevice->setObjectName(QStringLiteral("rbExternalDevice"));
    edExternalPath->setObjectName(QStringLiteral("edExternalPath"));
    btChooseExternalPath->setObjectName(QStringLiteral("btChooseExternalPath"));
    rbNetworkStorage->setObjectName(QStringLiteral("rbNetworkStorage"));
    edNetworkPath->setObjectName(QStringLiteral("edNetworkPath"));
    btChooseNetworkPath->setObjectName(QStringLiteral("btChooseNetworkPath"));
    lbNetworkUsername->setObjectName(QStringLiteral("lbNetworkUsername"));
    edNetworkUsername->setObjectName(QStringLiteral("edNetworkUsername"));
    lbNetworkPassword->setObjectName(QStringLiteral("lbNetworkPassword"));
    btSetPassword->setObjectName(QStringLiteral("btSetPassword"));
    Label12->setObjectName(QStringLiteral("Label12"));
    lbNetworkUsername->setBuddy(edNetworkUsername);
    edNetworkPath->setPlaceholderText(QStringLiteral("//server/share/folder"));
    for (QPushButton* button : {btChooseExternalPath, btChooseNetworkPath, btSetPassword})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 20);
    grid->addWidget(rbExternalDevice, 0, 0, 1, 4);
    grid->addWidget(edExternalPath, 1, 1, 1, 2);
    grid->addWidget(btChooseExternalPath, 1, 3);
    grid->setRowMinimumHeight(2, 16);
    grid->addWidget(rbNetworkStorage, 3, 0, 1, 4);
    grid->addWidget(edNetworkPath, 4, 1, 1, 2);
    grid->addWidget(btChooseNetworkPath, 4, 3);
    grid->addWidget(lbNetworkUsername, 5, 1);
    grid->addWidget(edNetworkUsername, 5, 2);
    grid->addWidget(lbNetworkPassword, 6, 1);
    auto* password = new QHBoxLayout;
    password->addWidget(btSetPassword);
    password->addWidget(Label12);
    password->addStretch();
    grid->addLayout(password, 6, 2, 1, 2);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    layout->addStretch();

    connect(rbExternalDevice, &QRadioButton::toggled, this,
            &TFilesWizardDestinationPage::ApplyDestinationEnabling);
    connect(btChooseExternalPath, &QPushButton::clicked, this,
            &TFilesWizardDestinationPage::ChooseExternalPathClick);
    connect(btChooseNetworkPath, &QPushButton::clicked, this,
            &TFilesWizardDestinationPage::ChooseNetworkPathClick);
    connect(btSetPassword, &QPushButton::clicked, this, &TFilesWizardDestinationPage::SetPasswordClick);
}

void TFilesWizardDestinationPage::TranslateCaptions()
{
    rbExternalDevice->setText(Translate(QStringLiteral("External device (path):")));
    rbNetworkStorage->setText(Translate(QStringLiteral("Network storage (UNC - path):")));
    btChooseExternalPath->setText(Translate(QStringLiteral("Choose...")));
    btChooseNetworkPath->setText(Translate(QStringLiteral("Choose...")));
    lbNetworkUsername->setText(Translate(QStringLiteral("Username:")));
    lbNetworkPassword->setText(Translate(QStringLiteral("Password:")));
    btSetPassword->setText(Translate(QStringLiteral("Set password...")));
    ShowPasswordState();
}

void TFilesWizardDestinationPage::Clear()
{
    rbExternalDevice->setChecked(true);
    edExternalPath->clear();
    edNetworkPath->setText(kEmptyNetworkPath);
    edNetworkUsername->clear();
    strNetworkPassword.clear();
    ShowPasswordState();
    ApplyDestinationEnabling();
}

void TFilesWizardDestinationPage::Load(const TJob_FilesAndFolders& job)
{
    if (job.DestinationType == dtNetwork) {
        rbNetworkStorage->setChecked(true);
        edExternalPath->clear();
        edNetworkPath->setText(job.DestinationPath);
        edNetworkUsername->setText(job.Destination_NetworkUsername);
        strNetworkPassword = job.Destination_NetworkPassword;
    } else {
        rbExternalDevice->setChecked(true);
        edExternalPath->setText(job.DestinationPath);
        edNetworkPath->setText(kEmptyNetworkPath);
        edNetworkUsername->clear();
        strNetworkPassword.clear();
    }
    ShowPasswordState();
    ApplyDestinationEnabling();
}

void TFilesWizardDestinationPage::Save(TJob_FilesAndFolders& job) const
{
    if (rbExternalDevice->isChecked()) {
        job.DestinationType = dtExternalDevice;
        job.DestinationPath = edExternalPath->text();
        return;
    }
    job.DestinationType = dtNetwork;
    job.DestinationPath = edNetworkPath->text();
    job.Destination_NetworkUsername = edNetworkUsername->text();
    job.Destination_NetworkPassword = strNetworkPassword;
}

bool TFilesWizardDestinationPage::CheckBeforeNext()
{
    const TSettingsCheck check = rbExternalDevice->isChecked()
                                     ? CheckExternalDestination(edExternalPath->text())
                                     : CheckNetworkDestination(edNetworkPath->text());
    if (!check.Refused())
        return true;
    ShowMessageDialog(check.Message, mtWarning, mbOK, 0, window());
    (rbExternalDevice->isChecked() ? edExternalPath : edNetworkPath)->setFocus();
    return false;
}

void TFilesWizardDestinationPage::ApplyDestinationEnabling()
{
    const bool external = rbExternalDevice->isChecked();
    edExternalPath->setEnabled(external);
    btChooseExternalPath->setEnabled(external);
    for (QWidget* control :
         std::initializer_list<QWidget*>{edNetworkPath, btChooseNetworkPath, lbNetworkUsername,
                                         edNetworkUsername, lbNetworkPassword, btSetPassword, Label12})
        control->setEnabled(!external);
}

void TFilesWizardDestinationPage::ShowPasswordState()
{
    Label12->setText(strNetworkPassword.trimmed().isEmpty() ? Translate(QStringLiteral("Password is not set"))
                                                            : Translate(QStringLiteral("Password is set")));
}

void TFilesWizardDestinationPage::ChooseExternalPathClick()
{
    TFolderChooserSettings settings;
    settings.Title = Translate(QStringLiteral("Choose an output folder"));
    settings.Prompt = settings.Title;
    settings.Root = frFileSystem;
    const QString folder = ChooseFolder(window(), settings);
    if (!folder.isEmpty())
        edExternalPath->setText(folder);
}

void TFilesWizardDestinationPage::ChooseNetworkPathClick()
{
    TFolderChooserSettings settings;
    settings.Title = Translate(QStringLiteral("Choose a Network folder"));
    settings.Prompt = settings.Title;
    settings.Root = frNetwork;
    settings.Credentials = TSmbCredentials{edNetworkUsername->text(), strNetworkPassword};
    const QString folder = ChooseFolder(window(), settings);
    if (!folder.isEmpty())
        edNetworkPath->setText(folder);
}

void TFilesWizardDestinationPage::SetPasswordClick()
{
    if (!passwordDialog)
        passwordDialog = new TfrmPassword(window());
    passwordDialog->ChangePassword(strNetworkPassword);
    ShowPasswordState();
}
