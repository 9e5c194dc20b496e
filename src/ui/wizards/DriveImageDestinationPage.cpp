#include "ui/wizards/DriveImageDestinationPage.h"

#include "i18n/Translate.h"
#include "platform/SmbPath.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/DriveList.h"
#include "ui/widgets/FolderChooser.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TDriveImageDestinationPage::TDriveImageDestinationPage(TfrmPassword& passwordDialog, QWidget* parent)
    : QWidget(parent), passwordDialog(passwordDialog), rbExternalDevice(new QRadioButton(this)),
      cbLocalExtDrive(new TDriveComboBox(this)), rbNetworkStorage(new QRadioButton(this)),
      lbUNCPath(new QLabel(this)), edUNCPath(new QLineEdit(this)), btChooseNetworkPath(new QPushButton(this)),
      lbNetworkUsername(new QLabel(this)), edNetworkUsername(new QLineEdit(this)),
      lbNetworkPassword(new QLabel(this)), btSetPassword(new QPushButton(this)),
      lbPasswordStatus(new QLabel(this)), chKeepBackupVersions(new QCheckBox(this)),
      edKeepBackupVersions(new QLineEdit(this))
{
    setObjectName(QStringLiteral("cardWizard_Destination"));
    rbExternalDevice->setObjectName(QStringLiteral("rbExternalDevice"));
    cbLocalExtDrive->setObjectName(QStringLiteral("cbLocalExtDrive"));
    rbNetworkStorage->setObjectName(QStringLiteral("rbNetworkStorage"));
    lbUNCPath->setObjectName(QStringLiteral("lbUNCPath"));
    edUNCPath->setObjectName(QStringLiteral("edUNCPath"));
    btChooseNetworkPath->setObjectName(QStringLiteral("btChooseNetworkPath"));
    lbNetworkUsername->setObjectName(QStringLiteral("lbNetworkUsername"));
    edNetworkUsername->setObjectName(QStringLiteral("edNetworkUsername"));
    lbNetworkPassword->setObjectName(QStringLiteral("lbNetworkPassword"));
    btSetPassword->setObjectName(QStringLiteral("btSetPassword"));
    lbPasswordStatus->setObjectName(QStringLiteral("lbPasswordStatus"));
    chKeepBackupVersions->setObjectName(QStringLiteral("chKeepBackupVersions"));
    edKeepBackupVersions->setObjectName(QStringLiteral("edKeepBackupVersions"));

    auto* group = new QButtonGroup(this);
    group->addButton(rbExternalDevice);
    group->addButton(rbNetworkStorage);
    lbUNCPath->setBuddy(edUNCPath);
    lbNetworkUsername->setBuddy(edNetworkUsername);
    edUNCPath->setPlaceholderText(QStringLiteral("//server/share/folder"));
    edKeepBackupVersions->setMaximumWidth(60);
    for (QPushButton* button : {btChooseNetworkPath, btSetPassword})
        button->setAutoDefault(false);

    auto* diskRow = new QHBoxLayout;
    diskRow->addWidget(rbExternalDevice);
    diskRow->addWidget(cbLocalExtDrive, 1);

    // The network fields are indented under their radio button.
    auto* network = new QGridLayout;
    network->setContentsMargins(24, 0, 0, 0);
    network->addWidget(lbUNCPath, 0, 0);
    network->addWidget(edUNCPath, 0, 1);
    network->addWidget(btChooseNetworkPath, 0, 2);
    network->addWidget(lbNetworkUsername, 1, 0);
    network->addWidget(edNetworkUsername, 1, 1);
    network->addWidget(lbNetworkPassword, 2, 0);
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(btSetPassword);
    passwordRow->addWidget(lbPasswordStatus, 1);
    network->addLayout(passwordRow, 2, 1, 1, 2);
    network->setColumnStretch(1, 1);

    auto* versionsRow = new QHBoxLayout;
    versionsRow->addWidget(chKeepBackupVersions);
    versionsRow->addWidget(edKeepBackupVersions);
    versionsRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(diskRow);
    layout->addSpacing(12);
    layout->addWidget(rbNetworkStorage);
    layout->addLayout(network);
    layout->addSpacing(16);
    layout->addLayout(versionsRow);
    layout->addStretch();

    connect(rbExternalDevice, &QRadioButton::toggled, this, &TDriveImageDestinationPage::rbDestinationClick);
    connect(rbNetworkStorage, &QRadioButton::toggled, this, &TDriveImageDestinationPage::rbDestinationClick);
    connect(chKeepBackupVersions, &QCheckBox::toggled, this,
            &TDriveImageDestinationPage::chKeepBackupVersionsClick);
    connect(btChooseNetworkPath, &QPushButton::clicked, this,
            &TDriveImageDestinationPage::btChooseNetworkPathClick);
    connect(btSetPassword, &QPushButton::clicked, this, &TDriveImageDestinationPage::btSetPasswordClick);
}

void TDriveImageDestinationPage::SetCaptions()
{
    rbExternalDevice->setText(Translate(QStringLiteral("Disk:")));
    rbNetworkStorage->setText(Translate(QStringLiteral("Network")));
    lbUNCPath->setText(Translate(QStringLiteral("UNC - path:")));
    btChooseNetworkPath->setText(Translate(QStringLiteral("Choose...")));
    lbNetworkUsername->setText(Translate(QStringLiteral("Username:")));
    lbNetworkPassword->setText(Translate(QStringLiteral("Password:")));
    btSetPassword->setText(Translate(QStringLiteral("Set Password")) + QStringLiteral("..."));
    chKeepBackupVersions->setText(Translate(QStringLiteral("Keep the following number of backup versions:")));
    cbLocalExtDrive->SetCaptions();
    showPasswordStatus();
}

void TDriveImageDestinationPage::ClearControls()
{
    DestinationToControls(dtExternalDevice, QString(), QString(), QString(), false, QStringLiteral("3"));
    NetworkBrowseStart.clear();
}

void TDriveImageDestinationPage::DestinationToControls(TDestinationType type, const QString& path,
                                                       const QString& user, const QString& password,
                                                       bool keepVersions, const QString& versionsToKeep)
{
    cbLocalExtDrive->Refresh();
    const bool network = type == dtNetwork;
    if (network) {
        rbNetworkStorage->setChecked(true);
        edUNCPath->setText(path);
        edNetworkUsername->setText(user);
        strNetworkPassword = password;
        NetworkBrowseStart = IsSmbPath(path) ? path : QString();
    } else {
        rbExternalDevice->setChecked(true);
        cbLocalExtDrive->ChooseDrive(path);
        edUNCPath->clear();
        edNetworkUsername->clear();
        strNetworkPassword.clear();
    }
    rbDestinationClick();
    showPasswordStatus();
    chKeepBackupVersions->setChecked(keepVersions);
    edKeepBackupVersions->setText(versionsToKeep);
    chKeepBackupVersionsClick();
}

TDestinationType TDriveImageDestinationPage::DestinationType() const
{
    return rbNetworkStorage->isChecked() ? dtNetwork : dtExternalDevice;
}

QString TDriveImageDestinationPage::DestinationPath() const
{
    return DestinationType() == dtNetwork ? UncPath() : ChosenDisk();
}

QString TDriveImageDestinationPage::NetworkUsername() const
{
    return edNetworkUsername->text();
}

bool TDriveImageDestinationPage::KeepBackupVersions() const
{
    return chKeepBackupVersions->isChecked();
}

QString TDriveImageDestinationPage::BackupVersionsToKeep() const
{
    return edKeepBackupVersions->text();
}

QString TDriveImageDestinationPage::ChosenDisk() const
{
    return cbLocalExtDrive->ChosenDrive();
}

QString TDriveImageDestinationPage::UncPath() const
{
    return edUNCPath->text();
}

void TDriveImageDestinationPage::rbDestinationClick()
{
    const bool network = rbNetworkStorage->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             lbNetworkUsername, edNetworkUsername, lbNetworkPassword, btSetPassword, lbPasswordStatus,
             lbUNCPath, edUNCPath, btChooseNetworkPath})
        control->setEnabled(network);
    cbLocalExtDrive->setEnabled(!network);
}

void TDriveImageDestinationPage::chKeepBackupVersionsClick()
{
    edKeepBackupVersions->setEnabled(chKeepBackupVersions->isChecked());
}

void TDriveImageDestinationPage::btChooseNetworkPathClick()
{
    TFolderChooserSettings settings;
    settings.Title = Translate(QStringLiteral("Choose a Network folder"));
    settings.Prompt = settings.Title;
    settings.Root = frNetwork;
    settings.StartFolder = NetworkBrowseStart;
    settings.OnlyExistingFolder = true;
    settings.Credentials = {edNetworkUsername->text(), strNetworkPassword};
    const QString folder = ChooseFolder(this, settings);
    if (folder.isEmpty())
        return;
    edUNCPath->setText(folder);
    NetworkBrowseStart = folder;
}

void TDriveImageDestinationPage::btSetPasswordClick()
{
    passwordDialog.ChangePassword(strNetworkPassword);
    showPasswordStatus();
}

void TDriveImageDestinationPage::showPasswordStatus()
{
    lbPasswordStatus->setText(strNetworkPassword.isEmpty() ? Translate(QStringLiteral("Password is not set"))
                                                           : Translate(QStringLiteral("Password is set")));
}
