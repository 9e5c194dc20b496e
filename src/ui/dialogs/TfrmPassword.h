#pragma once
// Sets a password with a confirmation: the network password of the wizards and the configuration
// password of the options dialog.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmPassword : public QDialog
{
public:
    explicit TfrmPassword(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmPassword)

    // Empties both edits and shows the dialog modally: 1 when confirmed with matching texts, else 0.
    int ShowModalResult();
    // Shows the dialog; when confirmed, `password` becomes the first edit's text trimmed (an empty
    // confirmed pair clears it); when cancelled it stays as it was. True when confirmed.
    bool ChangePassword(QString& password);

private:
    void FormShow();
    void CheckBox1Click(bool checked);
    void Button2Click();

    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QCheckBox* CheckBox1;
    QPushButton* Button2; // OK
    QPushButton* Button1; // Cancel
};
