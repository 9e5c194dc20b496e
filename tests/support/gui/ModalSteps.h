#pragma once
// Driving modal dialogs by their object names: the steps run once a dialog of the given object name
// is the active modal window.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace ModalSteps {

// Sets its flag when the watched window hides.
class HideWatcher : public QObject
{
public:
    HideWatcher(QWidget& window, std::shared_ptr<bool> hidden) : QObject(&window), hidden(std::move(hidden))
    {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            *hidden = true;
        return false;
    }

private:
    std::shared_ptr<bool> hidden;
};

// Runs `steps` once the active modal window is the one named `objectName`; with `afterItCloses`, only
// once the window that is modal now has closed and is shown again. It polls instead of waiting in a
// nested loop, so that the code under test can close one dialog and open the next meanwhile. After ten
// seconds without it the test fails and the active modal window is closed, so that nothing waits forever.
inline void whenShown(const QString& objectName, std::function<void(QWidget&)> steps,
                      bool afterItCloses = false)
{
    auto* poll = new QTimer;
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    auto closedSeen = std::make_shared<bool>(true);
    if (afterItCloses) {
        if (QWidget* current = QApplication::activeModalWidget()) {
            *closedSeen = false;
            new HideWatcher(*current, closedSeen);
        }
    }
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName && *closedSeen) {
            poll->stop();
            poll->deleteLater();
            steps(*modal);
        } else if (deadline->hasExpired()) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no modal " << objectName.toStdString();
            if (modal)
                modal->close();
        }
    });
    poll->start();
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

} // namespace ModalSteps
