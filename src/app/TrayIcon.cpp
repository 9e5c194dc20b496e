#include "app/TrayIcon.h"

#include "app/core/RunEndWatcher.h"
#include "i18n/Translate.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

TTrayIcon::TTrayIcon(std::function<void()> openWindow, std::function<void()> quit, QObject* parent)
    : QObject(parent), pmTray(std::make_unique<QMenu>()),
      icon(std::make_unique<QSystemTrayIcon>(QApplication::windowIcon())), open(std::move(openWindow))
{
    pmTray->setObjectName(QStringLiteral("pmTray"));
    ActionOpen = pmTray->addAction(QString());
    ActionOpen->setObjectName(QStringLiteral("ActionOpen"));
    pmTray->addSeparator();
    ActionQuitTray = pmTray->addAction(QString());
    ActionQuitTray->setObjectName(QStringLiteral("ActionQuitTray"));
    connect(ActionOpen, &QAction::triggered, this, [this] { open(); });
    connect(ActionQuitTray, &QAction::triggered, this, [quit = std::move(quit)] { quit(); });
    icon->setContextMenu(pmTray.get());
    connect(icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Click();
    });
    TranslateTray();
}

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::show()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        icon->show();
}

void TTrayIcon::TranslateTray()
{
    ActionOpen->setText(Translate(QStringLiteral("Open")));
    ActionQuitTray->setText(Translate(QStringLiteral("Quit")));
    icon->setToolTip(QStringLiteral(ZORVAN_APP_TITLE));
}

void TTrayIcon::Click()
{
    open();
}

void TTrayIcon::Notify(const TRunEndNotice& notice)
{
    if (!icon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return;
    icon->showMessage(notice.JobName, notice.Text,
                      notice.Errors ? QSystemTrayIcon::Critical : QSystemTrayIcon::Warning);
}
