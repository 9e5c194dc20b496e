#include "ui/dialogs/TfrmEnterPassword.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `steps` on the password dialog once it is shown modally.
void whenShown(TfrmEnterPassword& dialog, std::function<void()> steps)
{
    QTimer::singleShot(0, [&dialog, steps] {
        ASSERT_TRUE(QTest::qWaitFor([&dialog] { return QApplication::activeModalWidget() == &dialog; }));
        steps();
    });
}

class EnterPasswordTest : public testing::Test
{
protected:
    TfrmEnterPassword dialog;
    QLineEdit* edit = dialog.findChild<QLineEdit*>("edPassword");
    QCheckBox* show = dialog.findChild<QCheckBox*>("chShowPassword");
    QPushButton* ok = dialog.findChild<QPushButton*>("btOK");
    QPushButton* cancel = dialog.findChild<QPushButton*>("btCancel");
};

TEST_F(EnterPasswordTest, EveryShowingStartsEmptyAndMasked)
{
    ASSERT_TRUE(edit && show && ok && cancel);
    whenShown(dialog, [&] {
        EXPECT_EQ(dialog.windowTitle(), " Enter Password");
        EXPECT_EQ(ok->text(), "OK");
        EXPECT_EQ(show->text(), "Show password");
        QTest::keyClicks(edit, "secret");
        show->click();
        EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
        show->click();
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        show->click();
        cancel->click();
    });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
    EXPECT_EQ(dialog.EnteredPassword(), "secret") << "the caller may still read what was typed";

    QString seenText = "unset";
    bool seenChecked = true;
    QLineEdit::EchoMode seenMode = QLineEdit::Normal;
    whenShown(dialog, [&] {
        seenText = edit->text();
        seenChecked = show->isChecked();
        seenMode = edit->echoMode();
        cancel->click();
    });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
    EXPECT_EQ(seenText, "");
    EXPECT_FALSE(seenChecked);
    EXPECT_EQ(seenMode, QLineEdit::Password);
}

TEST_F(EnterPasswordTest, EnterConfirmsWhereverTheFocusIs)
{
    for (QWidget* target : std::initializer_list<QWidget*>{edit, show, cancel}) {
        whenShown(dialog, [&] {
            QTest::keyClicks(edit, " pass word ");
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
        });
        EXPECT_EQ(dialog.ShowModalResult(), 1) << target->objectName().toStdString();
        EXPECT_EQ(dialog.EnteredPassword(), " pass word ") << "returned as typed";
    }
}

TEST_F(EnterPasswordTest, OkButtonConfirmsAndEscapeCancels)
{
    whenShown(dialog, [&] { ok->click(); });
    EXPECT_EQ(dialog.ShowModalResult(), 1);
    whenShown(dialog, [&] { QTest::keyClick(edit, Qt::Key_Escape); });
    EXPECT_EQ(dialog.ShowModalResult(), 0);
}

} // namespace
