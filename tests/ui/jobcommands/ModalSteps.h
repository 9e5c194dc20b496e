#pragma once
// Driving the modal dialogs of the job commands: the steps run once a dialog of the given object name
// is the active modal window.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

namespace JobCommandsTest {

// The active modal dialog once it is the one named `objectName`; null after a few seconds.
inline QWidget* waitForModal(const QString& objectName)
{
    QWidget* found = nullptr;
    (void)QTest::qWaitFor(
        [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == objectName)
                found = modal;
            return found != nullptr;
        },
        10000);
    return found;
}

// Queues `steps` for the next modal dialog named `objectName`.
inline void whenShown(const QString& objectName, std::function<void(QWidget&)> steps)
{
    QTimer::singleShot(0, [objectName, steps] {
        QWidget* dialog = waitForModal(objectName);
        ASSERT_TRUE(dialog) << "no modal " << objectName.toStdString();
        steps(*dialog);
    });
}

template <class T> T* child(QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_TRUE(found) << name;
    return found;
}

inline void setText(QWidget& dialog, const char* edit, const QString& text)
{
    child<QLineEdit>(dialog, edit)->setText(text);
}

inline void click(QWidget& dialog, const char* button)
{
    child<QAbstractButton>(dialog, button)->click();
}

// Answers the line input with `text` and "OK".
inline void answerQueryInput(const QString& text)
{
    whenShown(QStringLiteral("frmQueryInput"), [text](QWidget& dialog) {
        setText(dialog, "Edit1", text);
        click(dialog, "Button1");
    });
}

} // namespace JobCommandsTest
