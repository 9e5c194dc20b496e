#pragma once
// One line of text asked from the user (duplicate and rename of a job).
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmQueryInput : public QDialog
{
public:
    TfrmQueryInput(const QString& caption, const QString& prompt, const QString& value,
                   QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmQueryInput)

    QString Text() const;

private:
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1; // OK
    QPushButton* Button2; // Cancel
};

// Asks for one line of text in a dialog made for this question ("frmQueryInput"), starting with
// `value`. When confirmed ("OK" or Enter), `value` becomes the text exactly as typed and the result is
// true; otherwise `value` is left alone and the result is false.
bool QueryInput(QWidget* parent, const QString& caption, const QString& prompt, QString& value);
