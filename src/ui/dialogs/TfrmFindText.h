#pragma once
// The log viewer's find dialog: a text, "Match whole word only", "Match case" and "Find Next". It does
// not search itself: "Find Next" hands the text and the choices to its owner.
#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmFindText : public QDialog
{
public:
    explicit TfrmFindText(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmFindText)

    // Sets the captions, centres the dialog on `area` and shows it modeless, with the text selected.
    void ShowOver(const QWidget* area);

    // "Find Next" (or Enter) with a text that is not empty.
    std::function<void(const QString& text, bool matchCase, bool wholeWords)> FindNext;

private:
    void btFindNextClick();

    QLabel* lbFindWhat;
    QLineEdit* edFindWhat;
    QCheckBox* chWholeWord;
    QCheckBox* chMatchCase;
    QPushButton* btFindNext;
    QPushButton* btCancel;
};
