#pragma once
// The main window's layout between runs: an INI file in the user's settings folder with the values
// window_x, window_y, window_w, window_h, window_m (1 maximized), view_as_cards (always 0),
// events_visible (always 1) and events_height.
#include <QString>

#include <optional>

struct TWindowLayout
{
    // Each value as it was read; a missing one stays unset and is not applied.
    std::optional<qint32> X, Y, W, H, M, EventsHeight;
};

QString WindowLayoutFilePath();

// The stored layout; nullopt when there is none yet (the window then opens centred).
std::optional<TWindowLayout> LoadWindowLayout();

// Writes all eight values. An elevated instance leaves the file and its folder to the user it works
// for. False when the file could not be written.
bool SaveWindowLayout(qint32 x, qint32 y, qint32 width, qint32 height, bool maximized, qint32 eventsHeight);
