#pragma once
// The notification-area icon: a click or "Open" brings the window up, "Quit" quits; a desktop
// notification when a run the user did not start by hand ends with errors, warnings or cancelled.
// Without a notification area nothing is shown and notifications are dropped.
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
struct TRunEndNotice;

class TTrayIcon : public QObject
{
    Q_OBJECT
public:
    TTrayIcon(std::function<void()> open, std::function<void()> quit, QObject* parent = nullptr);
    ~TTrayIcon() override;
    Q_DISABLE_COPY_MOVE(TTrayIcon)

    // Shows the icon when the desktop has a notification area.
    void show();
    void TranslateTray();
    void Notify(const TRunEndNotice& notice);

    QMenu* menu() const { return pmTray.get(); }
    QAction* openAction() const { return ActionOpen; }
    QAction* quitAction() const { return ActionQuitTray; }
    // A click on the icon.
    void Click();

private:
    std::unique_ptr<QMenu> pmTray;
    std::unique_ptr<QSystemTrayIcon> icon;
    QAction* ActionOpen = nullptr;
    QAction* ActionQuitTray = nullptr;
    std::function<void()> open;
};
