#include "platform/Autorun.h"

#include "i18n/Translate.h"
#include "logs/EventsLog.h"
#include "platform/StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

QString AutorunEntryPath()
{
    return StandardFolders::configFolder() + QStringLiteral("/autostart/zorvan-backup.desktop");
}

QString AutorunExecLine()
{
    return '"' + StandardFolders::programPath() + QStringLiteral("\" /hide");
}

bool SetAutorun(bool on)
{
    const QString folder = StandardFolders::configFolder() + QStringLiteral("/autostart");
    if (!QDir().mkpath(folder))
        return false;
    const QString path = AutorunEntryPath();
    bool ok = true;
    if (on) {
        QSaveFile file(path);
        const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                                "Type=Application\n"
                                                "Name=" ZORVAN_APP_TITLE "\n"
                                                "Exec=%1\n"
                                                "Terminal=false\n"
                                                "X-GNOME-Autostart-enabled=true\n")
                                     .arg(AutorunExecLine())
                                     .toUtf8();
        ok = file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size() && file.commit();
    } else if (QFile::exists(path)) {
        ok = QFile::remove(path);
    }
    if (!ok)
        AddEvent(Translate(QStringLiteral("Error writing to Registry. Make sure you have the rights.")));
    return ok;
}
