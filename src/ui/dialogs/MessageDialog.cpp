#include "ui/dialogs/MessageDialog.h"

#include "i18n/Translate.h"

#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

#include <optional>

namespace {

struct THookState
{
    QQueue<int> answers;
    std::optional<int> answerAll;
    QList<MessageDialogHook::TShownMessage> shown;
};

THookState& hook()
{
    static THookState state;
    return state;
}

// The answer the hook gives for the next box, after recording it; none when the box is to be shown.
std::optional<int> hookedAnswer(const MessageDialogHook::TShownMessage& message)
{
    THookState& state = hook();
    std::optional<int> answer;
    if (!state.answers.isEmpty())
        answer = state.answers.dequeue();
    else
        answer = state.answerAll;
    if (answer)
        state.shown.append(message);
    return answer;
}

QString kindCaption(TMessageKind kind)
{
    switch (kind) {
    case mtWarning:
        return Translate(QStringLiteral("Warning"));
    case mtError:
        return Translate(QStringLiteral("Error"));
    case mtInformation:
        return Translate(QStringLiteral("Information"));
    case mtConfirmation:
        return Translate(QStringLiteral("Confirm"));
    case mtCustom:
        break;
    }
    return QStringLiteral(ZORVAN_APP_TITLE);
}

QMessageBox::Icon kindIcon(TMessageKind kind)
{
    switch (kind) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int ShowMessageDialog(const QString& text, TMessageKind kind, TMessageButtons buttons, int helpContext,
                      QWidget* parent)
{
    Q_UNUSED(helpContext);
    const QString caption = kindCaption(kind);
    if (const std::optional<int> answer = hookedAnswer({text, caption, kind, buttons, false}))
        return *answer;

    QMessageBox box(kindIcon(kind), caption, text, QMessageBox::NoButton, parent);
    if (buttons == mbYesNo) {
        box.addButton(Translate(QStringLiteral("Yes")), QMessageBox::YesRole);
        QPushButton* no = box.addButton(Translate(QStringLiteral("No")), QMessageBox::NoRole);
        box.setEscapeButton(no);
    } else {
        box.addButton(Translate(QStringLiteral("OK")), QMessageBox::AcceptRole);
    }
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return mrCancel;
    switch (box.buttonRole(const_cast<QAbstractButton*>(clicked))) {
    case QMessageBox::YesRole:
        return mrYes;
    case QMessageBox::NoRole:
        return mrNo;
    case QMessageBox::AcceptRole:
        return mrOk;
    default:
        return mrCancel;
    }
}

void ShowPlainMessage(const QString& text, QWidget* parent)
{
    const QString caption = QStringLiteral(ZORVAN_APP_TITLE);
    if (hookedAnswer({text, caption, mtCustom, mbOK, true}))
        return;
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    box.addButton(Translate(QStringLiteral("OK")), QMessageBox::AcceptRole);
    box.exec();
}

namespace MessageDialogHook {

void answerNext(int result)
{
    hook().answers.enqueue(result);
}

void answerAll(int result)
{
    hook().answerAll = result;
}

void clearAnswers()
{
    hook().answers.clear();
    hook().answerAll.reset();
}

QList<TShownMessage> shown()
{
    return hook().shown;
}

void clearShown()
{
    hook().shown.clear();
}

} // namespace MessageDialogHook
