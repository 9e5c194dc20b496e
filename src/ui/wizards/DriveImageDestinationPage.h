#pragma once
// Where a drive image job stores its images: a disk chosen from the mounted volumes, or a network
// folder with its user name and password; and how many image versions are kept.
#include "jobs/uJob.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TDriveComboBox;
class TfrmPassword;

class TDriveImageDestinationPage : public QWidget
{
    Q_OBJECT
public:
    TDriveImageDestinationPage(TfrmPassword& passwordDialog, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TDriveImageDestinationPage)

    void SetCaptions();
    // A new job: "Disk:" with no disk chosen, no network path, user name or password, three versions
    // kept but not checked, the network browser starting nowhere.
    void ClearControls();
    // `type`, `path`, `user` and `password` as a job holds them (the network fields only for a network
    // destination), and the two version fields.
    void DestinationToControls(TDestinationType type, const QString& path, const QString& user,
                               const QString& password, bool keepVersions, const QString& versionsToKeep);

    TDestinationType DestinationType() const;
    // The chosen disk's mount point or the UNC path, by the destination type.
    QString DestinationPath() const;
    QString NetworkUsername() const;
    const QString& NetworkPassword() const { return strNetworkPassword; }
    bool KeepBackupVersions() const;
    QString BackupVersionsToKeep() const;
    // The disk chosen in the drop-down (empty when none) and the UNC path as typed.
    QString ChosenDisk() const;
    QString UncPath() const;

    // The password being edited; changed only through the set-password dialog.
    QString strNetworkPassword;
    // Where the network browser starts: the server chosen last.
    QString NetworkBrowseStart;

private:
    void rbDestinationClick();
    void chKeepBackupVersionsClick();
    void btChooseNetworkPathClick();
    void btSetPasswordClick();
    void showPasswordStatus();

    TfrmPassword& passwordDialog;
    QRadioButton* rbExternalDevice;
    TDriveComboBox* cbLocalExtDrive;
    QRadioButton* rbNetworkStorage;
    QLabel* lbUNCPath;
    QLineEdit* edUNCPath;
    QPushButton* btChooseNetworkPath;
    QLabel* lbNetworkUsername;
    QLineEdit* edNetworkUsername;
    QLabel* lbNetworkPassword;
    QPushButton* btSetPassword;
    QLabel* lbPasswordStatus;
    QCheckBox* chKeepBackupVersions;
    QLineEdit* edKeepBackupVersions;
};
