#pragma once
// The pictures of buttons and menu items: the desktop's icon theme where it has the icon, our own
// drawing otherwise, so that no button is ever blank.
#include <QIcon>

// `freedesktopName` is the icon's name in the freedesktop naming scheme ("document-new");
// `fallbackResource` one of our own pictures (":/icons/new-job.svg").
QIcon ThemedIcon(const char* freedesktopName, const char* fallbackResource);
// One of our own pictures, whatever the theme (for the dark bars, where a theme's dark icons vanish).
QIcon OwnIcon(const char* resource);
