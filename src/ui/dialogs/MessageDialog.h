#pragma once
// The program's one message dialog and its plain message box. Tests answer the next boxes through
// MessageDialogHook instead of showing them, and read what would have been shown.
#include <QList>
#include <QString>

class QWidget;

enum TMessageKind
{
    mtWarning,
    mtError,
    mtInformation,
    mtConfirmation,
    mtCustom
};

enum TMessageButtons
{
    mbOK,
    mbYesNo
};

// The results a box returns.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

// Shows `text` (already translated and composed by the caller) in a modal box whose caption is the
// translated name of its kind ("Warning", "Error", "Information", "Confirm"), with translated
// buttons; returns the result of the button that closed it (any other way of closing: mrCancel).
// `helpContext` is kept for the callers that pass one; the box has no help.
int ShowMessageDialog(const QString& text, TMessageKind kind, TMessageButtons buttons, int helpContext = 0,
                      QWidget* parent = nullptr);

// The plain message box of refusals and notices: the application title as caption, no icon, OK.
void ShowPlainMessage(const QString& text, QWidget* parent = nullptr);

namespace MessageDialogHook {
struct TShownMessage
{
    QString Text;
    QString Caption;
    TMessageKind Kind = mtCustom;
    TMessageButtons Buttons = mbOK;
    bool Plain = false; // shown by ShowPlainMessage
};

// The next box is not shown: it returns `result` at once. Answers are used in the order given.
void answerNext(int result);
// Every box without a queued answer returns `result` instead of being shown (tests that must never
// block on a box); clearAnswers() switches it off again.
void answerAll(int result);
void clearAnswers();
// The boxes answered through the hook, oldest first.
QList<TShownMessage> shown();
void clearShown();
} // namespace MessageDialogHook
