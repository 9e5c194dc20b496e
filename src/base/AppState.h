#pragma once
// Process-wide flags: the program is ending; the instance has (or tried to get) administrator rights.
#include <atomic>

extern std::atomic<bool> AppTerminating;
extern std::atomic<bool> ElevatedInstance;
