#pragma once
// Work that reads the storage from a window command while the windows keep painting.
#include <functional>

// Runs `work` on a helper thread while the window thread keeps painting (user input waits).
void RunWhilePainting(const std::function<void()>& work);
