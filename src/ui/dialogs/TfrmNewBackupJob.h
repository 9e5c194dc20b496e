#pragma once
// Asks for the name and the kind of a new job.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmNewBackupJob : public QDialog
{
public:
    explicit TfrmNewBackupJob(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmNewBackupJob)

    // Empties the name, selects files and folders and shows the dialog modally: 1 for "OK" or Enter in
    // the name, 0 otherwise.
    int ShowModalResult();
    // The name as typed (the caller trims and checks it).
    QString JobName() const;
    bool DriveImageChosen() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QLabel* lbJobName;
    QLineEdit* edJobName;
    QLabel* lbBackupType;
    QRadioButton* rbFilesAndFolders;
    QRadioButton* rbDriveBackup;
    QPushButton* btOK;
    QPushButton* btCancel;
};
