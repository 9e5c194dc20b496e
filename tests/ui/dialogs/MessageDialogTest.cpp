#include "ui/dialogs/MessageDialog.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Clicks the button captioned `caption` of the message box that is open next.
void clickWhenShown(const QString& caption, QString* seenCaption)
{
    QTimer::singleShot(0, [caption, seenCaption] {
        QMessageBox* box = nullptr;
        (void)QTest::qWaitFor([&box] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr;
        });
        ASSERT_NE(box, nullptr);
        *seenCaption = box->windowTitle();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == caption)
                button->click();
    });
}

} // namespace

TEST(MessageDialogTest, ResultsAndCaptionsOfShownBoxes)
{
    const struct
    {
        TMessageKind kind;
        TMessageButtons buttons;
        QString click;
        int result;
        QString caption;
    } cases[] = {
        {mtConfirmation, mbYesNo, "Yes", mrYes, "Confirm"},
        {mtConfirmation, mbYesNo, "No", mrNo, "Confirm"},
        {mtError, mbOK, "OK", mrOk, "Error"},
        {mtWarning, mbOK, "OK", mrOk, "Warning"},
    };
    for (const auto& c : cases) {
        QString caption;
        clickWhenShown(c.click, &caption);
        EXPECT_EQ(ShowMessageDialog("Text", c.kind, c.buttons), c.result) << c.click.toStdString();
        EXPECT_EQ(caption, c.caption);
    }
}

TEST(MessageDialogTest, HookAnswersWithoutShowingAndRecords)
{
    MessageDialogHook::clearShown();
    MessageDialogHook::answerNext(mrNo);
    EXPECT_EQ(ShowMessageDialog("Quit?", mtConfirmation, mbYesNo), mrNo);
    MessageDialogHook::answerNext(mrOk);
    ShowPlainMessage("Refused");
    const auto shown = MessageDialogHook::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].Text, "Quit?");
    EXPECT_EQ(shown[0].Caption, "Confirm");
    EXPECT_FALSE(shown[0].Plain);
    EXPECT_EQ(shown[1].Text, "Refused");
    EXPECT_EQ(shown[1].Caption, "Zorvan Backup");
    EXPECT_TRUE(shown[1].Plain);
}
