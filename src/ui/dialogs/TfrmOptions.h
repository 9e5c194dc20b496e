#pragma once
// The Options dialog: the global options on four pages. It edits the copy it is given and hands the
// edited copy back; applying and saving it is the caller's.
#include "options/uOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TfrmPassword;

class TfrmOptions : public QDialog
{
public:
    // `passwordDialog` sets the configuration password.
    explicit TfrmOptions(TfrmPassword& passwordDialog, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmOptions)

    // Loads every control from `options`.
    void OptionsToControls(const TOptions& options);
    // Writes every control into `options`; what the dialog does not show stays as it is.
    void ControlsToOptions(TOptions& options) const;
    // Shows the dialog modally: 1 when confirmed with OK (after its checks), 0 otherwise.
    int ShowModalResult();

private:
    void buildGeneralPage();
    void buildLoggingPage();
    void buildBackupPage();
    void buildExclusionsPage();
    void FormShow();
    void chProtectConfigurationClick();
    void btSetPasswordClick();
    void selectFolder(QLineEdit* edit, const QString& prompt);
    void btOKClick();
    void showPasswordStatus();

    TfrmPassword& passwordDialog;
    QString ProtectionPassword;

    QTabWidget* PageControl1;
    QWidget* tsGeneral;
    QLabel* lbGeneralHeader;
    QCheckBox* chRunProgramAtLogon;
    QCheckBox* chRunOnlyOneJobAtATime;
    QCheckBox* chBlockSleepMode;
    QCheckBox* chCheckForNewVersion;
    QCheckBox* chProtectConfiguration;
    QPushButton* btSetPassword;
    QLabel* lbPasswordStatus;
    QLabel* lbPathForTempFiles;
    QLineEdit* edPathForTempFiles;
    QPushButton* btSelectTempPath;
    QLabel* lbProcessPriority;
    QComboBox* cbProcessPriority;

    QWidget* tsLogging;
    QLabel* lbLoggingHeader;
    QLabel* lbMaxNumberOfLogs;
    QSpinBox* seMaxNumberOfLogs;
    QLabel* lbMaxLinesInHistory;
    QSpinBox* seMaxLinesInHistory;
    QLabel* lbMaxLinesInEventsLog;
    QSpinBox* seMaxLinesInEventsLog;
    QCheckBox* chDontLogCopyingInternalFiles;
    QLabel* lbPathForLogFiles;
    QLineEdit* edPathForLogFiles;
    QPushButton* btSelectLogPath;

    QWidget* tsBackup;
    QLabel* lbBackupHeader;
    QCheckBox* chRemovePreviousBackup;
    QCheckBox* chPreventOtherApps;
    QCheckBox* chDontUseBuffering;
    QCheckBox* chVerifyCopiesAfterBackup;
    QLabel* lbIfDestinationNotAvailable;
    QLabel* lbRetry;
    QSpinBox* seRetryTimes;
    QLabel* lbTimes;
    QLabel* lbDelay;
    QSpinBox* seWaitSec;
    QLabel* lbSeconds;
    QLabel* lbThen;
    QComboBox* cbThen;

    QWidget* tsExclusions;
    QLabel* lbExclusionsHeader;
    QLabel* lbExcludeFolder;
    QPlainTextEdit* mmExcludedDirs;
    QCheckBox* chSkipHiddenSystemFiles;
    QCheckBox* chSkipLockedFiles;

    QPushButton* btOK;
    QPushButton* btCancel;
};
