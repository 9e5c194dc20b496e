#pragma once
// The files wizard's second page: an external folder, or a network share with its user name and
// password. The password is held here while it is edited and never shown.
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TJob_FilesAndFolders;
class TfrmPassword;

class TFilesWizardDestinationPage : public QWidget
{
public:
    explicit TFilesWizardDestinationPage(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFilesWizardDestinationPage)

    // The dialog "Set password..." opens; without one the page keeps a dialog of its own.
    void SetPasswordDialog(TfrmPassword& dialog) { passwordDialog = &dialog; }

    void Clear();
    void Load(const TJob_FilesAndFolders& job);
    // An external destination leaves the job's stored network user name and password as they were.
    void Save(TJob_FilesAndFolders& job) const;
    // Warns and returns false for a missing external folder or a network path too short to be one.
    bool CheckBeforeNext();
    void TranslateCaptions();

private:
    void ApplyDestinationEnabling();
    void ShowPasswordState();
    void ChooseExternalPathClick();
    void ChooseNetworkPathClick();
    void SetPasswordClick();

    TfrmPassword* passwordDialog = nullptr;
    QString strNetworkPassword;

    QRadioButton* rbExternalDevice;
    QLineEdit* edExternalPath;
    QPushButton* btChooseExternalPath;
    QRadioButton* rbNetworkStorage;
    QLineEdit* edNetworkPath;
    QPushButton* btChooseNetworkPath;
    QLabel* lbNetworkUsername;
    QLineEdit* edNetworkUsername;
    QLabel* lbNetworkPassword;
    QPushButton* btSetPassword;
    QLabel* Label12;
};
