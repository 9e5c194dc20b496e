#pragma once
// The restore guidance of a drive image job: how to put a volume back from a live USB system with the
// image tool, the command line for this job, a restart into the boot menu, and, for volumes the
// running system does not use, a recovery at once ("Recover now..."). Shown without waiting for it.
#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmRestore_DriveImage : public QDialog
{
public:
    struct TActions
    {
        std::function<void()> RestartForRecovery; // "Restart PC and continue..."
        std::function<void()> RecoverNow;         // "Recover now..."
    };
    explicit TfrmRestore_DriveImage(TActions actions, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmRestore_DriveImage)

    // Sets the texts, the command lines (one per volume) and the note under them (empty: none), offers
    // "Recover now..." or not, and shows the dialog without waiting.
    void ShowGuidance(const QString& commandLines, const QString& note, bool offerRecoverNow);

private:
    void FormShow();
    QWidget* makeStep(const char* name, const char* iconName, const char* fallbackIcon, QLabel*& caption,
                      QLabel*& detail);

    TActions actions;
    QLabel* lbInstructions;
    QLabel* lbStep1;
    QLabel* lbStep1Detail;
    QLabel* lbStep2;
    QLabel* lbStep2Detail;
    QLabel* lbStep3;
    QLabel* lbStep3Detail;
    QLabel* lbTip;
    QLabel* lbCommandLine;
    QPlainTextEdit* edCommandLine;
    QPushButton* btCopyCommand;
    QLabel* lbNote;
    QPushButton* btRestart;
    QPushButton* btRecoverNow;
    QPushButton* btCancel;
};
