#pragma once
// The end-of-run shutdown countdown on screen: a warning, the seconds left, "Shutdown" and "Cancel".
// The countdown itself (its timer, the power-off request, disarming) is TShutdownCountdown's; this
// window shows it and passes the user's choices on.
#include <QDialog>

class QLabel;
class QPushButton;
class TShutdownCountdown;

class TfrmPCshutdownDialog : public QDialog
{
public:
    // Connects itself to the countdown's callbacks: Opened shows it modeless on top and centred,
    // Changed shows the seconds left, Closed hides it.
    explicit TfrmPCshutdownDialog(TShutdownCountdown& countdown, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmPCshutdownDialog)

    // The close box and Escape: "Cancel", unless the power-off was already accepted.
    void reject() override;

private:
    void FormShow();
    void btDoneClick();

    TShutdownCountdown& countdown;
    QLabel* imWarning;
    QLabel* Label1;
    QPushButton* btDone;
    QPushButton* btCancel;
};
