#include "base/AppState.h"

std::atomic<bool> AppTerminating{false};
std::atomic<bool> ElevatedInstance{false};
