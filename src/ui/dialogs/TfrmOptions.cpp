#include "ui/dialogs/TfrmOptions.h"

#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "options/OptionsChecks.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmPassword.h"
#include "ui/widgets/FolderChooser.h"
#include "ui/widgets/NamedWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

namespace {

// Number boxes take any 32-bit value.
QSpinBox* makeNumberBox(QWidget* parent, const char* name)
{
    auto* box = MakeNamed<QSpinBox>(parent, name);
    box->setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    box->setMinimumWidth(90);
    return box;
}

QLabel* makeHeader(QWidget* parent, const char* name)
{
    auto* header = MakeNamed<QLabel>(parent, name);
    QFont font = header->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    header->setFont(font);
    return header;
}

// A row of a label, an edit box and its "Select..." button.
QHBoxLayout* folderRow(QLineEdit* edit, QPushButton* select)
{
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(select);
    return row;
}

// Replaces the texts of a list and keeps its selected index.
void setListTexts(QComboBox* list, const QStringList& texts)
{
    const int index = list->currentIndex();
    list->clear();
    for (const QString& text : texts)
        list->addItem(Translate(text));
    list->setCurrentIndex(index);
}

void setCaption(QWidget* widget, const QString& caption)
{
    widget->setProperty("text", caption);
    widget->setAccessibleName(caption);
}

} // namespace

TfrmOptions::TfrmOptions(TfrmPassword& passwordDialog, QWidget* parent)
    : QDialog(parent), passwordDialog(passwordDialog)
{
    setObjectName(QStringLiteral("frmOptions"));
    PageControl1 = MakeNamed<QTabWidget>(this, "PageControl1");
    buildGeneralPage();
    buildLoggingPage();
    buildBackupPage();
    buildExclusionsPage();

    btOK = MakeNamed<QPushButton>(this, "btOK");
    btCancel = MakeNamed<QPushButton>(this, "btCancel");
    btOK->setDefault(true);
    btCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    resize(600, 460);

    connect(chProtectConfiguration, &QCheckBox::toggled, this, &TfrmOptions::chProtectConfigurationClick);
    connect(btSetPassword, &QPushButton::clicked, this, &TfrmOptions::btSetPasswordClick);
    connect(btSelectTempPath, &QPushButton::clicked, this, [this] {
        selectFolder(edPathForTempFiles,
                     Translate(QStringLiteral("Choose a folder for the temporary files")));
    });
    connect(btSelectLogPath, &QPushButton::clicked, this, [this] {
        selectFolder(edPathForLogFiles, Translate(QStringLiteral("Choose a folder for the log files")));
    });
    connect(btOK, &QPushButton::clicked, this, &TfrmOptions::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    // The first page again whenever the dialog closes.
    connect(this, &QDialog::finished, this, [this] { PageControl1->setCurrentIndex(0); });
}

void TfrmOptions::buildGeneralPage()
{
    tsGeneral = MakeNamed<QWidget>(PageControl1, "tsGeneral");
    lbGeneralHeader = makeHeader(tsGeneral, "lbGeneralHeader");
    chRunProgramAtLogon = MakeNamed<QCheckBox>(tsGeneral, "chRunProgramAtLogon");
    chRunOnlyOneJobAtATime = MakeNamed<QCheckBox>(tsGeneral, "chRunOnlyOneJobAtATime");
    chBlockSleepMode = MakeNamed<QCheckBox>(tsGeneral, "chBlockSleepMode");
    chCheckForNewVersion = MakeNamed<QCheckBox>(tsGeneral, "chCheckForNewVersion");
    chProtectConfiguration = MakeNamed<QCheckBox>(tsGeneral, "chProtectConfiguration");
    btSetPassword = MakeNamed<QPushButton>(tsGeneral, "btSetPassword");
    lbPasswordStatus = MakeNamed<QLabel>(tsGeneral, "lbPasswordStatus");
    lbPathForTempFiles = MakeNamed<QLabel>(tsGeneral, "lbPathForTempFiles");
    edPathForTempFiles = MakeNamed<QLineEdit>(tsGeneral, "edPathForTempFiles");
    btSelectTempPath = MakeNamed<QPushButton>(tsGeneral, "btSelectTempPath");
    lbProcessPriority = MakeNamed<QLabel>(tsGeneral, "lbProcessPriority");
    cbProcessPriority = MakeNamed<QComboBox>(tsGeneral, "cbProcessPriority");
    lbPathForTempFiles->setBuddy(edPathForTempFiles);
    lbProcessPriority->setBuddy(cbProcessPriority);
    cbProcessPriority->addItems({QString(), QString(), QString(), QString()});
    // Present but hidden: the priority keeps its loaded value.
    lbProcessPriority->setVisible(false);
    cbProcessPriority->setVisible(false);

    auto* password = new QHBoxLayout;
    password->addSpacing(20);
    password->addWidget(btSetPassword);
    password->addWidget(lbPasswordStatus, 1);
    auto* layout = new QVBoxLayout(tsGeneral);
    layout->addWidget(lbGeneralHeader);
    layout->addSpacing(6);
    layout->addWidget(chRunProgramAtLogon);
    layout->addWidget(chRunOnlyOneJobAtATime);
    layout->addWidget(chBlockSleepMode);
    layout->addWidget(chCheckForNewVersion);
    layout->addWidget(chProtectConfiguration);
    layout->addLayout(password);
    layout->addSpacing(10);
    layout->addWidget(lbPathForTempFiles);
    layout->addLayout(folderRow(edPathForTempFiles, btSelectTempPath));
    layout->addWidget(lbProcessPriority);
    layout->addWidget(cbProcessPriority);
    layout->addStretch();
    PageControl1->addTab(tsGeneral, QString());
}

void TfrmOptions::buildLoggingPage()
{
    tsLogging = MakeNamed<QWidget>(PageControl1, "tsLogging");
    lbLoggingHeader = makeHeader(tsLogging, "lbLoggingHeader");
    lbMaxNumberOfLogs = MakeNamed<QLabel>(tsLogging, "lbMaxNumberOfLogs");
    seMaxNumberOfLogs = makeNumberBox(tsLogging, "seMaxNumberOfLogs");
    lbMaxLinesInHistory = MakeNamed<QLabel>(tsLogging, "lbMaxLinesInHistory");
    seMaxLinesInHistory = makeNumberBox(tsLogging, "seMaxLinesInHistory");
    lbMaxLinesInEventsLog = MakeNamed<QLabel>(tsLogging, "lbMaxLinesInEventsLog");
    seMaxLinesInEventsLog = makeNumberBox(tsLogging, "seMaxLinesInEventsLog");
    chDontLogCopyingInternalFiles = MakeNamed<QCheckBox>(tsLogging, "chDontLogCopyingInternalFiles");
    lbPathForLogFiles = MakeNamed<QLabel>(tsLogging, "lbPathForLogFiles");
    edPathForLogFiles = MakeNamed<QLineEdit>(tsLogging, "edPathForLogFiles");
    btSelectLogPath = MakeNamed<QPushButton>(tsLogging, "btSelectLogPath");
    lbMaxNumberOfLogs->setBuddy(seMaxNumberOfLogs);
    lbMaxLinesInHistory->setBuddy(seMaxLinesInHistory);
    lbMaxLinesInEventsLog->setBuddy(seMaxLinesInEventsLog);
    lbPathForLogFiles->setBuddy(edPathForLogFiles);

    auto* numbers = new QGridLayout;
    numbers->addWidget(lbMaxNumberOfLogs, 0, 0);
    numbers->addWidget(seMaxNumberOfLogs, 0, 1);
    numbers->addWidget(lbMaxLinesInHistory, 1, 0);
    numbers->addWidget(seMaxLinesInHistory, 1, 1);
    numbers->addWidget(lbMaxLinesInEventsLog, 2, 0);
    numbers->addWidget(seMaxLinesInEventsLog, 2, 1);
    numbers->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(tsLogging);
    layout->addWidget(lbLoggingHeader);
    layout->addSpacing(6);
    layout->addLayout(numbers);
    layout->addWidget(chDontLogCopyingInternalFiles);
    layout->addSpacing(10);
    layout->addWidget(lbPathForLogFiles);
    layout->addLayout(folderRow(edPathForLogFiles, btSelectLogPath));
    layout->addStretch();
    PageControl1->addTab(tsLogging, QString());
}

void TfrmOptions::buildBackupPage()
{
    tsBackup = MakeNamed<QWidget>(PageControl1, "tsBackup");
    lbBackupHeader = makeHeader(tsBackup, "lbBackupHeader");
    chRemovePreviousBackup = MakeNamed<QCheckBox>(tsBackup, "chRemovePreviousBackup");
    chPreventOtherApps = MakeNamed<QCheckBox>(tsBackup, "chPreventOtherApps");
    chDontUseBuffering = MakeNamed<QCheckBox>(tsBackup, "chDontUseBuffering");
    chVerifyCopiesAfterBackup = MakeNamed<QCheckBox>(tsBackup, "chVerifyCopiesAfterBackup");
    lbIfDestinationNotAvailable = MakeNamed<QLabel>(tsBackup, "lbIfDestinationNotAvailable");
    lbRetry = MakeNamed<QLabel>(tsBackup, "lbRetry");
    seRetryTimes = makeNumberBox(tsBackup, "seRetryTimes");
    lbTimes = MakeNamed<QLabel>(tsBackup, "lbTimes");
    lbDelay = MakeNamed<QLabel>(tsBackup, "lbDelay");
    seWaitSec = makeNumberBox(tsBackup, "seWaitSec");
    lbSeconds = MakeNamed<QLabel>(tsBackup, "lbSeconds");
    lbThen = MakeNamed<QLabel>(tsBackup, "lbThen");
    cbThen = MakeNamed<QComboBox>(tsBackup, "cbThen");
    cbThen->addItems({QString(), QString()});
    lbRetry->setBuddy(seRetryTimes);
    lbDelay->setBuddy(seWaitSec);
    lbThen->setBuddy(cbThen);

    auto* retries = new QGridLayout;
    retries->addWidget(lbRetry, 0, 0);
    retries->addWidget(seRetryTimes, 0, 1);
    retries->addWidget(lbTimes, 0, 2);
    retries->addWidget(lbDelay, 1, 0);
    retries->addWidget(seWaitSec, 1, 1);
    retries->addWidget(lbSeconds, 1, 2);
    retries->addWidget(lbThen, 2, 0);
    retries->addWidget(cbThen, 2, 1, 1, 2);
    retries->setColumnStretch(3, 1);
    retries->setContentsMargins(20, 0, 0, 0);
    auto* layout = new QVBoxLayout(tsBackup);
    layout->addWidget(lbBackupHeader);
    layout->addSpacing(6);
    layout->addWidget(chRemovePreviousBackup);
    layout->addWidget(chPreventOtherApps);
    layout->addWidget(chDontUseBuffering);
    layout->addWidget(chVerifyCopiesAfterBackup);
    layout->addSpacing(10);
    layout->addWidget(lbIfDestinationNotAvailable);
    layout->addLayout(retries);
    layout->addStretch();
    PageControl1->addTab(tsBackup, QString());
}

void TfrmOptions::buildExclusionsPage()
{
    tsExclusions = MakeNamed<QWidget>(PageControl1, "tsExclusions");
    lbExclusionsHeader = makeHeader(tsExclusions, "lbExclusionsHeader");
    lbExcludeFolder = MakeNamed<QLabel>(tsExclusions, "lbExcludeFolder");
    mmExcludedDirs = MakeNamed<QPlainTextEdit>(tsExclusions, "mmExcludedDirs");
    chSkipHiddenSystemFiles = MakeNamed<QCheckBox>(tsExclusions, "chSkipHiddenSystemFiles");
    chSkipLockedFiles = MakeNamed<QCheckBox>(tsExclusions, "chSkipLockedFiles");
    lbExcludeFolder->setBuddy(mmExcludedDirs);
    mmExcludedDirs->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* layout = new QVBoxLayout(tsExclusions);
    layout->addWidget(lbExclusionsHeader);
    layout->addSpacing(6);
    layout->addWidget(lbExcludeFolder);
    layout->addWidget(mmExcludedDirs, 1);
    layout->addWidget(chSkipHiddenSystemFiles);
    layout->addWidget(chSkipLockedFiles);
    PageControl1->addTab(tsExclusions, QString());
}

void TfrmOptions::OptionsToControls(const TOptions& options)
{
    const TGeneralOptions& general = options.General;
    chRunProgramAtLogon->setChecked(general.RunProgramAtLogon);
    chRunOnlyOneJobAtATime->setChecked(options.Processing.RunOnlyOneJobAtATime);
    chBlockSleepMode->setChecked(general.BlockSleepModeifJobIsScheduled);
    chCheckForNewVersion->setChecked(general.CheckForNewVersionAtStart);
    chProtectConfiguration->setChecked(general.ProtectConfigurationbyPassword);
    edPathForTempFiles->setText(general.PathForTempFiles);
    cbProcessPriority->setCurrentIndex(general.ProcessPriority);

    const TLoggingOptions& logging = options.Logging;
    seMaxNumberOfLogs->setValue(logging.MaxNumberOfLogsForEachJob);
    seMaxLinesInHistory->setValue(logging.MaxNumberOfLinesInHistory);
    seMaxLinesInEventsLog->setValue(logging.MaxNumberOfLinesInEventsLog);
    chDontLogCopyingInternalFiles->setChecked(logging.DontLogCopyingInternalFiles);
    edPathForLogFiles->setText(logging.PathForLogFiles);

    const TProcessingOptions& processing = options.Processing;
    chRemovePreviousBackup->setChecked(processing.RemovePreviousBackupIfCancelled);
    chPreventOtherApps->setChecked(processing.PreventOtherAppsFromWritingDuringZipping);
    chDontUseBuffering->setChecked(processing.DontUseBufferingForCopyOperations);
    chVerifyCopiesAfterBackup->setChecked(processing.VerifyCopiesAfterBackup);
    seRetryTimes->setValue(processing.IfDestinationNotAvailable_Retry_Times);
    seWaitSec->setValue(processing.IfDestinationNotAvailable_Wait_Sec);
    cbThen->setCurrentIndex(processing.IfDestinationNotAvailable_Then);
    chSkipHiddenSystemFiles->setChecked(processing.SkipHiddenSystemFiles);
    chSkipLockedFiles->setChecked(processing.SkipLockedFiles);
    mmExcludedDirs->setPlainText(options.ExcludedDirs.join('\n'));

    ProtectionPassword = general.strProtectConfiguration_Password;
    showPasswordStatus();
    chProtectConfigurationClick();
}

void TfrmOptions::ControlsToOptions(TOptions& options) const
{
    TGeneralOptions& general = options.General;
    general.RunProgramAtLogon = chRunProgramAtLogon->isChecked();
    general.BlockSleepModeifJobIsScheduled = chBlockSleepMode->isChecked();
    general.CheckForNewVersionAtStart = chCheckForNewVersion->isChecked();
    general.ProtectConfigurationbyPassword = chProtectConfiguration->isChecked();
    general.strProtectConfiguration_Password = ProtectionPassword;
    general.PathForTempFiles = edPathForTempFiles->text();
    // An index the list does not offer (none selected) keeps the value it was loaded with.
    if (cbProcessPriority->currentIndex() >= 0)
        general.ProcessPriority = cbProcessPriority->currentIndex();

    TLoggingOptions& logging = options.Logging;
    logging.MaxNumberOfLogsForEachJob = seMaxNumberOfLogs->value();
    logging.MaxNumberOfLinesInHistory = seMaxLinesInHistory->value();
    logging.MaxNumberOfLinesInEventsLog = seMaxLinesInEventsLog->value();
    logging.DontLogCopyingInternalFiles = chDontLogCopyingInternalFiles->isChecked();
    logging.PathForLogFiles = edPathForLogFiles->text();

    TProcessingOptions& processing = options.Processing;
    processing.RunOnlyOneJobAtATime = chRunOnlyOneJobAtATime->isChecked();
    processing.RemovePreviousBackupIfCancelled = chRemovePreviousBackup->isChecked();
    processing.PreventOtherAppsFromWritingDuringZipping = chPreventOtherApps->isChecked();
    processing.DontUseBufferingForCopyOperations = chDontUseBuffering->isChecked();
    processing.VerifyCopiesAfterBackup = chVerifyCopiesAfterBackup->isChecked();
    processing.IfDestinationNotAvailable_Retry_Times = seRetryTimes->value();
    processing.IfDestinationNotAvailable_Wait_Sec = seWaitSec->value();
    if (cbThen->currentIndex() >= 0)
        processing.IfDestinationNotAvailable_Then = cbThen->currentIndex();
    processing.SkipHiddenSystemFiles = chSkipHiddenSystemFiles->isChecked();
    processing.SkipLockedFiles = chSkipLockedFiles->isChecked();

    // One entry per line as typed: no expansion, blank lines kept.
    const QString text = mmExcludedDirs->toPlainText();
    options.ExcludedDirs = text.isEmpty() ? QStringList() : text.split('\n');
}

int TfrmOptions::ShowModalResult()
{
    FormShow();
    return exec() == QDialog::Accepted ? 1 : 0;
}

void TfrmOptions::FormShow()
{
    setResult(0);
    setWindowTitle(' ' + Translate(QStringLiteral("Options")));
    PageControl1->setTabText(0, Translate(QStringLiteral("General")));
    PageControl1->setTabText(1, Translate(QStringLiteral("Logging")));
    PageControl1->setTabText(2, Translate(QStringLiteral("Backup ")));
    PageControl1->setTabText(3, Translate(QStringLiteral("Exclusions")));

    lbGeneralHeader->setText(Translate(QStringLiteral("General Options")));
    setCaption(chRunProgramAtLogon, Translate(QStringLiteral("Run the program at user logon")));
    setCaption(chRunOnlyOneJobAtATime, Translate(QStringLiteral("Run only one job at a time")));
    setCaption(chBlockSleepMode,
               Translate(QStringLiteral("Block sleep mode if some job is scheduled for today or tomorrow")));
    setCaption(chCheckForNewVersion, Translate(QStringLiteral("Check for a new version at start")));
    setCaption(chProtectConfiguration,
               Translate(QStringLiteral("Protect configuration from unwanted changes with a password")));
    setCaption(btSetPassword, Translate(QStringLiteral("Set Password")) + QStringLiteral("..."));
    showPasswordStatus();
    lbPathForTempFiles->setText(Translate(QStringLiteral("Path for temporary files:")));
    edPathForTempFiles->setAccessibleName(lbPathForTempFiles->text());
    setCaption(btSelectTempPath, Translate(QStringLiteral("Select...")));
    btSelectTempPath->setAccessibleDescription(lbPathForTempFiles->text());
    lbProcessPriority->setText(Translate(QStringLiteral("Process priority:")));
    cbProcessPriority->setAccessibleName(lbProcessPriority->text());
    setListTexts(cbProcessPriority, {QStringLiteral("Iddle"), QStringLiteral("Normal"),
                                     QStringLiteral("High"), QStringLiteral("Realtime")});

    lbLoggingHeader->setText(Translate(QStringLiteral("Logging Options")));
    lbMaxNumberOfLogs->setText(Translate(QStringLiteral("Number of log files to keep for each backup job:")));
    seMaxNumberOfLogs->setAccessibleName(lbMaxNumberOfLogs->text());
    lbMaxLinesInHistory->setText(Translate(QStringLiteral("Number of lines to keep in the history file:")));
    seMaxLinesInHistory->setAccessibleName(lbMaxLinesInHistory->text());
    lbMaxLinesInEventsLog->setText(Translate(QStringLiteral("Number of lines to keep in the Events Log:")));
    seMaxLinesInEventsLog->setAccessibleName(lbMaxLinesInEventsLog->text());
    setCaption(chDontLogCopyingInternalFiles,
               FillPlaceholders(
                   Translate(QStringLiteral("Do not log copying of the internal database files (*%s, *.%s)")),
                   {QStringLiteral(".kxj"), QStringLiteral("obl")}));
    lbPathForLogFiles->setText(Translate(QStringLiteral("Path for log files:")));
    edPathForLogFiles->setAccessibleName(lbPathForLogFiles->text());
    setCaption(btSelectLogPath, Translate(QStringLiteral("Select...")));
    btSelectLogPath->setAccessibleDescription(lbPathForLogFiles->text());

    lbBackupHeader->setText(Translate(QStringLiteral("Backup Options")));
    setCaption(chRemovePreviousBackup,
               Translate(QStringLiteral("Delete a previous backup if it was canceled")));
    setCaption(
        chPreventOtherApps,
        Translate(QStringLiteral("Prevent other applications from writing files during ZIP compression")));
    setCaption(chDontUseBuffering,
               Translate(QStringLiteral(
                   "Do not use buffering for file copy operations (suitable for very large files)")));
    setCaption(chVerifyCopiesAfterBackup, Translate(QStringLiteral("Verify the copies after each backup")));
    lbIfDestinationNotAvailable->setText(Translate(QStringLiteral("If destination is not available,")));
    lbRetry->setText(Translate(QStringLiteral("Retry")));
    lbTimes->setText(Translate(QStringLiteral("times")));
    seRetryTimes->setAccessibleName(lbIfDestinationNotAvailable->text() + ' ' + lbRetry->text());
    lbDelay->setText(Translate(QStringLiteral("Delay between attempts:")));
    lbSeconds->setText(Translate(QStringLiteral("seconds")));
    seWaitSec->setAccessibleName(lbDelay->text());
    lbThen->setText(Translate(QStringLiteral("Then:")));
    cbThen->setAccessibleName(lbThen->text());
    setListTexts(cbThen,
                 {QStringLiteral("Cancel the job"), QStringLiteral("Pause and wait for your action")});

    lbExclusionsHeader->setText(Translate(QStringLiteral("Exclusions")));
    lbExcludeFolder->setText(Translate(QStringLiteral("Exclude Folder")) + ':');
    mmExcludedDirs->setAccessibleName(lbExcludeFolder->text());
    setCaption(chSkipHiddenSystemFiles, Translate(QStringLiteral("Skip hidden and system files")));
    setCaption(chSkipLockedFiles, Translate(QStringLiteral("Skip locked/in-use files")));

    setCaption(btOK, Translate(QStringLiteral("OK")));
    setCaption(btCancel, Translate(QStringLiteral("Cancel")));
}

void TfrmOptions::showPasswordStatus()
{
    lbPasswordStatus->setText(ProtectionPassword.isEmpty() ? Translate(QStringLiteral("Password is not set"))
                                                           : Translate(QStringLiteral("Password is set")));
}

void TfrmOptions::chProtectConfigurationClick()
{
    btSetPassword->setEnabled(chProtectConfiguration->isChecked());
    lbPasswordStatus->setEnabled(chProtectConfiguration->isChecked());
}

void TfrmOptions::btSetPasswordClick()
{
    // ChangePassword trims the confirmed text; an empty confirmed pair clears the password.
    passwordDialog.ChangePassword(ProtectionPassword);
    showPasswordStatus();
}

void TfrmOptions::selectFolder(QLineEdit* edit, const QString& prompt)
{
    TFolderChooserSettings settings;
    settings.Title = Translate(QStringLiteral("Choose a folder"));
    settings.Prompt = prompt;
    const QString folder = ChooseFolder(this, settings);
    if (!folder.isEmpty())
        edit->setText(folder);
}

void TfrmOptions::btOKClick()
{
    TOptionsEntry entry;
    entry.ProtectConfigurationbyPassword = chProtectConfiguration->isChecked();
    entry.Password = ProtectionPassword;
    entry.PathForTempFiles = edPathForTempFiles->text();
    entry.PathForLogFiles = edPathForLogFiles->text();
    const QString error = OptionsEntryError(entry);
    if (!error.isEmpty()) {
        ShowMessageDialog(error, mtError, mbOK, 0, this);
        return;
    }
    accept();
}
