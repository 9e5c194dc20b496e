#include "app/core/WindowLayout.h"

#include "platform/AskingUser.h"
#include "platform/StandardFolders.h"

#include <QFileInfo>
#include <QSettings>

namespace {

std::optional<qint32> readValue(const QSettings& settings, const QString& name)
{
    bool ok = false;
    const qint32 value = settings.value(name).toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

} // namespace

QString WindowLayoutFilePath()
{
    return StandardFolders::configFolder() + QStringLiteral("/" ZORVAN_APP_TITLE "/window.ini");
}

std::optional<TWindowLayout> LoadWindowLayout()
{
    if (!QFileInfo::exists(WindowLayoutFilePath()))
        return std::nullopt;
    QSettings settings(WindowLayoutFilePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    TWindowLayout layout;
    layout.X = readValue(settings, QStringLiteral("window_x"));
    layout.Y = readValue(settings, QStringLiteral("window_y"));
    layout.W = readValue(settings, QStringLiteral("window_w"));
    layout.H = readValue(settings, QStringLiteral("window_h"));
    layout.M = readValue(settings, QStringLiteral("window_m"));
    layout.EventsHeight = readValue(settings, QStringLiteral("events_height"));
    return layout;
}

bool SaveWindowLayout(qint32 x, qint32 y, qint32 width, qint32 height, bool maximized, qint32 eventsHeight)
{
    if (!MakePathForAskingUser(QFileInfo(WindowLayoutFilePath()).path()))
        return false;
    QSettings settings(WindowLayoutFilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("window_x"), x);
    settings.setValue(QStringLiteral("window_y"), y);
    settings.setValue(QStringLiteral("window_w"), width);
    settings.setValue(QStringLiteral("window_h"), height);
    settings.setValue(QStringLiteral("window_m"), maximized ? 1 : 0);
    settings.setValue(QStringLiteral("view_as_cards"), 0);
    settings.setValue(QStringLiteral("events_visible"), 1);
    settings.setValue(QStringLiteral("events_height"), eventsHeight);
    settings.sync();
    // QSettings replaces the file as a whole: the new file is root's in an elevated instance.
    GiveToAskingUser(settings.fileName());
    return settings.status() == QSettings::NoError;
}
