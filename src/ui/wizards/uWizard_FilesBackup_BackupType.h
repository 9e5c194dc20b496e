#pragma once
// The files wizard's third page: mirror, full or incremental copies and how many of them are kept.
#include "jobs/uJob_FilesAndFolders.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

class TFilesWizardBackupTypePage : public QWidget
{
public:
    explicit TFilesWizardBackupTypePage(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFilesWizardBackupTypePage)

    // A new job made in the wizard is a mirror; 5 increments per full copy, 10 full copies kept.
    void Clear();
    void Load(const TBackupSettings& backup);
    void Save(TBackupSettings& backup) const;
    void TranslateCaptions();

private:
    void ApplyBackupTypeEnabling();

    QRadioButton* rbSyncBackup;
    QRadioButton* rbFullBackup;
    QRadioButton* rbIncrementalBackup;
    QLabel* lbFullBackupIntervalBefore;
    QSpinBox* sedFullBackupInterval;
    QLabel* lbFullBackupIntervalAfter;
    QLabel* lbNumberFullCopiesToKeepBefore;
    QSpinBox* sedNumberFullCopiesToKeep;
    QLabel* lbNumberFullCopiesToKeepAfter;
    QCheckBox* CheckBox1;
};
