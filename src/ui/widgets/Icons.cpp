#include "ui/widgets/Icons.h"

// The pictures are compiled into a static library: nothing refers to them, so they are registered
// by hand before the first use.
// (Q_INIT_RESOURCE declares a global function: this may not live in a namespace.)
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon OwnIcon(const char* resource)
{
    registerPictures();
    return QIcon(QString::fromLatin1(resource));
}

QIcon ThemedIcon(const char* freedesktopName, const char* fallbackResource)
{
    const QIcon fallback = OwnIcon(fallbackResource);
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(freedesktopName), fallback);
    // A theme may name an icon it cannot draw (a broken link, a missing image plugin).
    return themed.pixmap(48).isNull() ? fallback : themed;
}
