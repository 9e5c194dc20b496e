#pragma once
// The password asked for at start and before the main window shows when the configuration is
// protected. The caller compares the entered text (trimmed) with the configured password.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmEnterPassword : public QDialog
{
public:
    explicit TfrmEnterPassword(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmEnterPassword)

    // Empties the edit, masks it again and shows the dialog modally: 1 when confirmed ("OK" or Enter),
    // 0 otherwise.
    int ShowModalResult();
    // The edit's text as typed.
    QString EnteredPassword() const;

private:
    void FormShow();
    void chShowPasswordClick(bool checked);

    QLabel* lbPassword;
    QLineEdit* edPassword;
    QCheckBox* chShowPassword;
    QPushButton* btOK;
    QPushButton* btCancel;
};
